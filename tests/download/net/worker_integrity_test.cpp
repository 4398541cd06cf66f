// What a misbehaving server can do to "setup.zip", as a table: an earlier run
// that broke off (or a file planted in the working folder), the server's
// reply in the run under test, and what that run says and leaves in the
// ".tmp"; then a run against a healthy server must install the served file.
#include <gtest/gtest.h>

#include <optional>

#include "download/fake_worker_ui.h"
#include "download/run_downloads.h"
#include "platform/args.h"
#include "platform/fs.h"
#include "rqx_plan.h"
#include "support/temp_dir.h"
#include "test_servers.h"

namespace zentivo::download {
namespace {

using namespace rqx;
using testing::FakeWorkerUi;
using testing::PatternBytes;

// "setup.zip" as the server has it.
struct Served {
  int64_t size = 600000;
  int seed = 1;
  std::string get = "ok";
  std::string validator = "none";
};

Served Version(int64_t size, int seed, const std::string& validator = "none") {
  return {size, seed, "ok", validator};
}
Served Replying(const std::string& get, const std::string& validator = "etag") {
  return {600000, 1, get, validator};
}

struct IntegrityCase {
  const char* name;
  std::optional<Served> earlier;  // a run that broke off after the first range
  int64_t planted_tmp;            // or a .tmp of seed 1 left by an older installer (-1: none)
  int64_t planted_final;          // a finished "setup.zip" of seed 9 (-1: none)
  Served served;                  // the run under test
  std::string outcome;            // "finished" or the failure text
  int64_t tmp_after;              // bytes of the .tmp afterwards (-1: absent)
  int tmp_seed;                   // whose bytes they are
  Served healthy;                 // the next run
};

const std::string kNotTheFile = "failure [setup.zip]服务器返回的内容不是所需文件";
const Served kHealthy = Version(600000, 1, "etag");

const IntegrityCase kCases[] = {
    {"a captive portal's page instead of the next range", Replying("ok,reset@0"), -1, -1,
     Replying("portal"), kNotTheFile, 524289, 1, kHealthy},
    {"a 200 of another length", Replying("ok,reset@0"), -1, -1, Replying("halfsize"), kNotTheFile,
     524289, 1, kHealthy},
    {"204 No Content", Replying("ok,reset@0"), -1, -1, Replying("204"), kNotTheFile, 524289, 1,
     kHealthy},
    {"304 Not Modified", Replying("ok,reset@0"), -1, -1, Replying("304"), kNotTheFile, 524289, 1,
     kHealthy},
    {"a 302 without Location", Replying("ok,reset@0"), -1, -1, Replying("nolocation"), kNotTheFile,
     524289, 1, kHealthy},
    {"a Content-Range whose total differs", Replying("ok,reset@0"), -1, -1, Replying("badtotal"),
     kNotTheFile, 524289, 1, kHealthy},
    {"a portal page as the first reply leaves an empty .tmp", std::nullopt, -1, -1,
     Replying("portal"), kNotTheFile, 0, 1, kHealthy},
    {"a 200 of the whole file while resuming replaces the .tmp", Replying("ok,reset@0"), -1, -1,
     Replying("ignorerange"), "finished", -1, 1, kHealthy},
    {"the file replaced on the server, with an ETag", Replying("ok,reset@0"), -1, -1,
     Version(600000, 7, "etag"), "finished", -1, 7, Version(600000, 7, "etag")},
    {"the file replaced on the server, with Last-Modified only", Replying("ok,reset@0", "lastmod"),
     -1, -1, Version(600000, 7, "lastmod"), "finished", -1, 7, Version(600000, 7, "lastmod")},
    {"the file shrunk", Replying("ok,reset@0", "none"), -1, -1, Version(500000, 7), "finished", -1,
     7, Version(500000, 7)},
    {"the file grew", Replying("ok,reset@0", "none"), -1, -1, Version(700000, 7), "finished", -1, 7,
     Version(700000, 7)},
    {"a .tmp longer than the file starts over", std::nullopt, 700000, -1, Version(600000, 1),
     "finished", -1, 1, Version(600000, 1)},
    {"an older installer's .tmp without a record resumes", std::nullopt, 524289, -1,
     Version(600000, 1, "etag"), "finished", -1, 1, kHealthy},
    {"a finished download of another size is fetched again", std::nullopt, -1, 1000,
     Version(600000, 1), "finished", -1, 1, Version(600000, 1)},
    {"an empty file on the server is no file", std::nullopt, -1, -1, Version(0, 1), "finished", -1,
     1, kHealthy},
};

void Serve(testing::FaultScenario& server, const Served& setup) {
  for (const auto& f : kPlan) {
    if (std::string(f.alias) == "setup") {
      server.AddFile(f.path, setup.size, "ok", setup.get, setup.seed, setup.validator);
    } else {
      server.AddFile(f.path, f.size, "ok", "ok", f.seed);
    }
  }
}

std::string RunWorker(testing::FaultScenario& server, const std::string& work_dir) {
  FakeWorkerUi ui;
  TDownloadState state;
  SystemlessClock clock;
  PauseGate gate;
  RunDownloads(SettingsFor(server.Root(), work_dir), {ui, state, clock, gate});
  return ui.Outcome();
}

TEST(WorkerIntegrity, RepliesThatAreNotTheFileNeverTouchTheTmp) {
  for (const IntegrityCase& c : kCases) {
    SCOPED_TRACE(c.name);
    testing::FaultScenario server;
    testing::TempDir dir;
    const std::string work_dir = dir / "temp";
    ASSERT_TRUE(fs::MakeDirectory(work_dir));
    const std::string setup = work_dir + "\\setup.zip";
    const std::string tmp = setup + ".tmp";
    if (c.earlier) {
      Serve(server, *c.earlier);
      ASSERT_EQ(RunWorker(server, work_dir), "failure [setup.zip]网络连接中断");
      ASSERT_EQ(fs::FileSize(tmp), 524289);
    }
    if (c.planted_tmp >= 0) {
      ASSERT_TRUE(fs::WriteWholeFile(tmp, PatternBytes(1, 0, c.planted_tmp)));
    }
    if (c.planted_final >= 0) {
      ASSERT_TRUE(fs::WriteWholeFile(setup, PatternBytes(9, 0, c.planted_final)));
    }

    Serve(server, c.served);
    EXPECT_EQ(RunWorker(server, work_dir), c.outcome);
    const auto tmp_bytes = fs::ReadWholeFile(tmp);
    if (c.tmp_after < 0) {
      EXPECT_FALSE(tmp_bytes) << "the .tmp should be gone";
    } else {
      ASSERT_TRUE(tmp_bytes) << "the .tmp should stay";
      EXPECT_TRUE(*tmp_bytes == PatternBytes(c.tmp_seed, 0, c.tmp_after))
          << "the .tmp holds " << tmp_bytes->size() << " bytes, not its own prefix";
    }
    if (c.served.size == 0) {
      EXPECT_FALSE(fs::FileExists(setup)) << "an empty file was promoted";
    }

    Serve(server, c.healthy);
    EXPECT_EQ(RunWorker(server, work_dir), "finished");
    const auto installed = fs::ReadWholeFile(setup);
    ASSERT_TRUE(installed);
    EXPECT_TRUE(*installed == PatternBytes(c.healthy.seed, 0, c.healthy.size))
        << "setup.zip is not the served file";
    EXPECT_FALSE(fs::FileExists(tmp));
    EXPECT_FALSE(fs::FileExists(tmp + ".version"));
  }
}

// A resumed range asks for the rest of the version the .tmp holds, and only
// a server that names versions gets asked so.
TEST(WorkerIntegrity, ResumedRangesCarryIfRange) {
  for (const std::string validator : {"etag", "lastmod", "none"}) {
    SCOPED_TRACE(validator);
    testing::FaultScenario server;
    testing::TempDir dir;
    Serve(server, Replying("ok,reset@0", validator));
    ASSERT_EQ(RunWorker(server, dir.path()), "failure [setup.zip]网络连接中断");
    Serve(server, Replying("ok", validator));
    ASSERT_EQ(RunWorker(server, dir.path()), "finished");
    std::vector<std::string> if_ranges;
    for (const auto& r : server.Log()) {
      if (r.method == "GET" && Describe(r).starts_with("GET setup "))
        if_ranges.push_back(r.if_range);
    }
    ASSERT_EQ(if_ranges.size(), 3u);  // first range, broken second, resumed second
    EXPECT_EQ(if_ranges[0], "-") << "a first range has nothing to resume";
    if (validator == "etag") {
      EXPECT_EQ(if_ranges[2], "%221-927c0%22");
    } else if (validator == "lastmod") {
      EXPECT_NE(if_ranges[2].find("GMT"), std::string::npos) << if_ranges[2];
    } else {
      EXPECT_EQ(if_ranges[2], "-");
    }
  }
}

// A working folder on a drive that runs full: the file fails with the
// reason, and every byte that did fit stays in the .tmp for the next run.
// Runs on the small drive that tests/support/with-small-disk mounts.
TEST(WorkerFullDisk, KeepsWhatFitInTheTmp) {
  const std::string small = platform::GetEnv("ZENTIVO_SMALL_DISK");
  if (small.empty())
    GTEST_SKIP() << "needs a small drive: tests/support/with-small-disk";
  testing::FaultScenario server;
  Serve(server, Version(3 * 1024 * 1024, 1, "etag"));
  const std::string work_dir = small + fs::NativeSeparator() + "temp";
  ASSERT_TRUE(fs::MakeDirectory(work_dir));
  EXPECT_EQ(RunWorker(server, work_dir), "failure [setup.zip]磁盘空间不足");
  const auto tmp = fs::ReadWholeFile(work_dir + "\\setup.zip.tmp");
  ASSERT_TRUE(tmp);
  EXPECT_GT(tmp->size(), 0u);
  EXPECT_TRUE(*tmp == PatternBytes(1, 0, static_cast<int64_t>(tmp->size())));
  EXPECT_FALSE(fs::FileExists(work_dir + "\\setup.zip"));
}

}  // namespace
}  // namespace zentivo::download
