// The fault matrix: every way the fault server misbehaves, run against the
// download worker, and every kind of damaged archive, run against the
// extractor and the completion routine, printed as Markdown tables of case
// -> outcome (what the user is told, what the .tmp holds, what is left).
//
//   fault_matrix
//
// Starts its own test servers (tests/servers/test-servers). A row that loses
// or corrupts anything says so in its last column; the program exits 1 when
// any row does.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "download/run_downloads.h"
#include "install/complete_installation.h"
#include "install/extract_package.h"
#include "platform/fs.h"
#include "quiet_ui.h"
#include "support/temp_dir.h"
#include "download/net/rqx_plan.h"
#include "download/net/test_servers.h"
#include "install/extract_test_support.h"
#include "install/zip_builder.h"

namespace {

using namespace zentivo;
using download::rqx::kPlan;
using testing::PatternBytes;

int lost = 0;

struct SetupFile {
  int64_t size = 600000;
  int seed = 1;
  std::string head = "ok";
  std::string get = "ok";
  std::string validator = "etag";
};

std::string RunWorker(const SetupFile& setup, testing::FaultScenario& server,
                      const std::string& work_dir) {
  for (const auto& f : kPlan) {
    if (std::string(f.alias) == "setup")
      server.AddFile(f.path, setup.size, setup.head, setup.get, setup.seed, setup.validator);
    else
      server.AddFile(f.path, f.size, "ok", "ok", f.seed);
  }
  bench::QuietWorkerUi ui;
  download::TDownloadState state;
  download::rqx::SystemlessClock clock;
  download::PauseGate gate;
  download::RunDownloads(download::rqx::SettingsFor(server.Root(), work_dir),
                         {ui, state, clock, gate});
  return ui.outcome;
}

struct WorkerRow {
  std::string what;
  std::optional<SetupFile> earlier;  // a run that broke off after one range
  SetupFile faulty;
  SetupFile healthy;
};

void WorkerMatrix() {
  const auto get = [](const std::string& modes, const std::string& validator = "etag") {
    SetupFile f;
    f.get = modes;
    f.validator = validator;
    return f;
  };
  const auto head = [](const std::string& modes) {
    SetupFile f;
    f.head = modes;
    return f;
  };
  const auto version = [](int64_t size, int seed, const std::string& validator) {
    return SetupFile{size, seed, "ok", "ok", validator};
  };
  const SetupFile ok;
  const auto broken = get("ok,reset@0");
  std::vector<WorkerRow> rows;
  for (const char* mode : {"404", "500", "reset@10000", "short@10000", "stall@1000", "redirect",
                           "ignorerange", "wrongrange", "empty", "nolength", "portal", "halfsize",
                           "nolocation", "badtotal", "204", "304", "throttle@4000000"})
    rows.push_back(
        {std::string("2nd GET: ") + mode, std::nullopt, get(std::string("ok,") + mode), ok});
  for (const char* mode : {"404", "500", "nolength", "redirect", "nolocation", "204", "304"})
    rows.push_back({std::string("HEAD: ") + mode, std::nullopt, head(mode), ok});
  for (const char* mode : {"portal", "halfsize", "204", "badtotal", "ignorerange"})
    rows.push_back({std::string("resumed GET: ") + mode, broken, get(mode), ok});
  rows.push_back(
      {"replaced, ETag", broken, version(600000, 7, "etag"), version(600000, 7, "etag")});
  rows.push_back({"replaced, Last-Modified", get("ok,reset@0", "lastmod"),
                  version(600000, 7, "lastmod"), version(600000, 7, "lastmod")});
  rows.push_back({"replaced, no validator, shrunk", get("ok,reset@0", "none"),
                  version(500000, 7, "none"), version(500000, 7, "none")});
  rows.push_back({"replaced, no validator, grown", get("ok,reset@0", "none"),
                  version(700000, 7, "none"), version(700000, 7, "none")});
  rows.push_back({"empty file on the server", std::nullopt, version(0, 1, "etag"), ok});

  std::printf("| case | message | .tmp after | a prefix of the file | next run | nothing lost |\n");
  std::printf("|---|---|---|---|---|---|\n");
  for (const WorkerRow& r : rows) {
    testing::FaultScenario server;
    testing::TempDir dir;
    const std::string work = dir / "temp";
    fs::MakeDirectory(work);
    const std::string tmp = work + "\\setup.zip.tmp";
    if (r.earlier)
      RunWorker(*r.earlier, server, work);
    const std::string message = RunWorker(r.faulty, server, work);
    const auto bytes = fs::ReadWholeFile(tmp);
    const bool prefix =
        !bytes || *bytes == PatternBytes(r.faulty.seed, 0, static_cast<int64_t>(bytes->size()));
    const std::string after = RunWorker(r.healthy, server, work);
    const auto installed = fs::ReadWholeFile(work + "\\setup.zip");
    const bool right = installed && *installed == PatternBytes(r.healthy.seed, 0, r.healthy.size);
    const bool fine =
        right && after == bench::QuietWorkerUi::kFinished && (prefix || r.faulty.seed != 1);
    if (!fine)
      ++lost;
    std::printf("| %s | %s | %s | %s | %s%s | %s |\n", r.what.c_str(), message.c_str(),
                bytes ? std::to_string(bytes->size()).c_str() : "none", prefix ? "yes" : "NO",
                after.c_str(), right ? ", setup.zip = served" : ", setup.zip WRONG",
                fine ? "yes" : "NO");
  }
}

// The extractor and the completion routine on damaged archives.
struct ArchiveRow {
  std::string what;
  std::string bytes;
};

std::vector<ArchiveRow> DamagedArchives() {
  using testing::ZipBuilder;
  using testing::ZipItem;
  const auto good =
      ZipBuilder().File("first.txt", "1").File("second.txt", std::string(9000, '2')).Build();
  const size_t end = testing::EndRecordOffset(good);
  const size_t dir = testing::CentralDirectoryOffset(good);
  std::vector<ArchiveRow> rows = {
      {"empty file", ""},
      {"not a zip", std::string(5000, 'M')},
      {"truncated download", good.substr(0, good.size() - 10)},
      {"cut in the middle", good.substr(0, good.size() / 2)},
  };
  auto patch32 = [&good](size_t at, uint32_t v) {
    auto z = good;
    testing::PutLe32(z, at, v);
    return z;
  };
  auto bad_dir = good;
  bad_dir[dir] = 'X';
  rows.push_back({"central directory damaged", bad_dir});
  rows.push_back(
      {"directory offset past the end", patch32(end + 16, static_cast<uint32_t>(good.size()))});
  auto local = good;
  local[0] = 'Q';
  rows.push_back({"local header damaged", local});
  auto deflate = good;
  deflate[good.find(std::string("PK\x03\x04", 4), 1) + 30 + 10] = '\xFF';
  rows.push_back({"corrupt deflate data", deflate});
  rows.push_back({"two entries on the same data", patch32(dir + 46 + 9 + 42, 0)});
  rows.push_back({"entry data into the directory", patch32(dir + 46 + 9 + 20, 200000)});
  // Twenty entries of one name length (46 + 6 bytes of directory each), all
  // pointed at the first one's data.
  ZipBuilder bomb;
  const std::string kernel(1 << 20, 'A');
  for (int i = 0; i < 20; ++i)
    bomb.File("b" + std::string(1, static_cast<char>('a' + i)) + ".txt", kernel);
  auto bomb_bytes = bomb.Build();
  const size_t bomb_dir = testing::CentralDirectoryOffset(bomb_bytes);
  for (size_t i = 1; i < 20; ++i) testing::PutLe32(bomb_bytes, bomb_dir + i * (46 + 6) + 42, 0);
  rows.push_back({"overlapping zip bomb (20 x 1 MB on one kernel)", bomb_bytes});
  rows.push_back(
      {"wrong CRC", ZipBuilder().Add({.name = "x.bin", .data = "abc", .crc = 1}).Build()});
  rows.push_back({"wrong size",
                  ZipBuilder().Add({.name = "x.bin", .data = "abc", .declared_size = 9}).Build()});
  rows.push_back(
      {"encrypted entry", ZipBuilder().Add({.name = "x.bin", .data = "a", .flags = 1}).Build()});
  rows.push_back(
      {"method 6", ZipBuilder().Add({.name = "x.bin", .data = "a", .method = 6}).Build()});
  for (const char* name : {"../escape.txt", "..\\escape.txt", "C:\\abs.txt", "\\root.txt",
                           "dir/../../escape.txt", "CON", "nul.txt", "a:stream", "bad?.txt"})
    rows.push_back({std::string("name ") + name, ZipBuilder().File(name, "x").Build()});
  return rows;
}

void ArchiveMatrix() {
  std::printf(
      "\n| archive as setup.zip | message | files written | outside the folder | half files | "
      "setup.zip kept |\n");
  std::printf("|---|---|---|---|---|---|\n");
  for (const ArchiveRow& r : DamagedArchives()) {
    testing::TempDir root;
    const std::string exe_dir = root.path() + fs::NativeSeparator();
    install::CompletionInputs in{
        exe_dir, exe_dir + "temp", "Zentivo 2014", "QUENXRQX_C", 0, 0, 0, false, {}};
    fs::MakeDirectory(in.WorkDir);
    (void)fs::WriteWholeFile(in.WorkDir + "\\setup.zip", r.bytes);
    (void)fs::WriteWholeFile(in.WorkDir + "\\TestFlash.zip", testing::ZipBuilder().Build());
    (void)fs::WriteWholeFile(in.WorkDir + "\\Maindb.db", "db");
    const std::string box = root / "box";
    const std::string dest = box + fs::NativeSeparator() + "install";
    fs::MakeDirectories(dest);
    bench::QuietCompletionUi ui(dest);
    install::CompleteInstallation(ui, in);
    int written = 0, halves = 0, outside = 0;
    for (const auto& [path, bytes] : testing::ReadTree(box)) {
      if (path.ends_with("/"))
        continue;
      if (!path.starts_with("install/"))
        ++outside;
      else if (path.ends_with(".zentivo-part"))
        ++halves;
      else if (!path.starts_with("install/data/") && path != "install/uninstall.log")
        ++written;
    }
    const bool kept = fs::FileExists(in.WorkDir + "\\setup.zip");
    const char* archive = ui.message == bench::QuietWorkerUi::kFinished
                              ? "installed, folder removed"
                          : kept ? "yes"
                                 : "no (fetched again)";
    if (outside || halves)
      ++lost;
    std::printf("| %s | %s | %d | %d | %d | %s |\n", r.what.c_str(), ui.message.c_str(), written,
                outside, halves, archive);
  }
}

}  // namespace

int main() {
  std::printf("## The worker against the fault server (setup.zip, 600000 bytes)\n\n");
  WorkerMatrix();
  std::printf("\n## Damaged archives through the completion routine\n");
  ArchiveMatrix();
  std::printf("\nrows that lost or corrupted something: %d\n", lost);
  return lost ? 1 : 0;
}
