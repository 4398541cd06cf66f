// A server that hands out files the maker never signed, as an on-path
// attacker on plain HTTP can: each case spoils the server or the working
// folder, and the run must say so, hand nothing over (so nothing is
// extracted or started) and leave only verified files behind. Once the
// server is put right, the next run installs the maker's files.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "download/fake_worker_ui.h"
#include "download/release_key.h"
#include "download/release_manifest.h"
#include "download/run_downloads.h"
#include "file_order.h"
#include "platform/fs.h"
#include "rqx_plan.h"
#include "support/temp_dir.h"
#include "test_servers.h"

namespace zentivo::download {
namespace {

using namespace rqx;
using testing::FakeWorkerUi;
using testing::PatternBytes;

const crypto::P256KeyPair& MakerKey() {
  static const auto key = crypto::GenerateP256();
  return key.value();
}
const crypto::P256KeyPair& OtherKey() {
  static const auto key = crypto::GenerateP256();
  return key.value();
}

// The maker's release: the plan's files as kPlan has them, and the manifest
// that lists them.
ReleaseManifest MakersManifest() {
  ReleaseManifest m;
  m.signed_at = "2026-12-11T08:00:00Z";
  for (const auto& f : kPlan) {
    m.entries.push_back(
        {NormalServerPath(f.path), f.size, crypto::Sha256Of(PatternBytes(f.seed, 0, f.size))});
  }
  return m;
}

std::string Signed(const ReleaseManifest& m, const crypto::P256KeyPair& key) {
  const auto text = SignManifest(m, key);
  if (!text)
    throw std::runtime_error("signing failed");
  return *text;
}

struct Release {
  testing::NginxTree tree;
  testing::TempDir dir;
  std::string work_dir = dir / "temp";

  Release() {
    PutRight();
    (void)fs::MakeDirectory(work_dir);
  }
  void PutRight() {
    for (const auto& f : kPlan) tree.AddFile(f.path, f.size, f.seed);
    Publish(Signed(MakersManifest(), MakerKey()));
  }
  void Serve(const char* alias, int64_t size, int seed) {
    for (const auto& f : kPlan) {
      if (std::string(f.alias) == alias)
        tree.AddFile(f.path, size, seed);
    }
  }
  void Publish(const std::string& manifest) { tree.AddBytes(std::string(kManifestPath), manifest); }
  std::string InWorkDir(const std::string& name) const { return work_dir + "\\" + name; }

  std::string Run() const {
    FakeWorkerUi ui;
    TDownloadState state;
    SystemlessClock clock;
    PauseGate gate;
    WorkerSettings settings = SettingsFor(tree.Root(), work_dir);
    settings.ReleaseKey = EncodeReleaseKey(MakerKey().public_key);
    RunDownloads(settings, {ui, state, clock, gate});
    return ui.Outcome();
  }

  // The working folder's file names, sorted.
  std::vector<std::string> Left() const {
    std::vector<std::string> names;
    for (const auto& e : fs::ListDirectory(work_dir)) {
      if (e.name != "." && e.name != "..")
        names.push_back(e.name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

const std::string kUnverified = "failure " + std::string(kUnverifiedSourceText);
const std::string kSetupFailed = "failure [setup.zip]" + std::string(kFileCheckFailedText);
const std::vector<std::string> kAllFiles = {"Maindb.db", "TestFlash.zip", "TestFlash2.zip",
                                            "setup.zip", "uninstall.exe"};

struct ReleaseCase {
  const char* name;
  std::function<void(Release&)> spoil;
  std::string outcome;
  std::vector<std::string> left;  // the working folder afterwards
  bool gets_files;                // any GET of a file of the plan was sent
};

const ReleaseCase kCases[] = {
    {"a file of other content and the same length",
     [](Release& r) { r.Serve("setup", 600000, 9); },
     kSetupFailed,
     {},
     true},
    {"a file of other content and another length",
     [](Release& r) { r.Serve("setup", 500000, 9); },
     kSetupFailed,
     {},
     false},
    {"a replaced uninstall.exe",
     [](Release& r) { r.Serve("uninstall", 1000, 9); },
     "failure [uninstall.exe]" + std::string(kFileCheckFailedText),
     {"Maindb.db", "setup.zip"},
     true},
    {"a manifest signed by another key",
     [](Release& r) { r.Publish(Signed(MakersManifest(), OtherKey())); },
     kUnverified,
     {},
     false},
    {"a manifest with one byte changed",
     [](Release& r) {
       std::string text = Signed(MakersManifest(), MakerKey());
       const size_t digit = text.find("file 600000 ") + 12;
       text[digit] = text[digit] == '0' ? '1' : '0';
       r.Publish(text);
     },
     kUnverified,
     {},
     false},
    {"no manifest",
     [](Release& r) { r.tree.Remove(std::string(kManifestPath)); },
     kUnverified,
     {},
     false},
    {"a manifest of an unknown version",
     [](Release& r) {
       ReleaseManifest m = MakersManifest();
       m.version = 2;
       r.Publish(Signed(m, MakerKey()));
     },
     kUnverified,
     {},
     false},
    {"a served file longer than its entry",
     [](Release& r) { r.Serve("setup", 600001, 1); },
     kSetupFailed,
     {},
     false},
    {"a resumed .tmp whose prefix was altered while the installer was closed",
     [](Release& r) {
       std::string prefix = PatternBytes(1, 0, 524289);
       prefix[1000] = static_cast<char>(prefix[1000] ^ 1);
       ASSERT_TRUE(fs::WriteWholeFile(r.InWorkDir("setup.zip.tmp"), prefix));
     },
     kSetupFailed,
     {},
     true},
    {"a final file replaced by another of the same size",
     [](Release& r) {
       ASSERT_TRUE(fs::WriteWholeFile(r.InWorkDir("setup.zip"), PatternBytes(9, 0, 600000)));
     },
     "finished", kAllFiles, true},
};

bool AnyFileGet(const std::vector<testing::LoggedRequest>& log) {
  return std::any_of(log.begin(), log.end(), [](const testing::LoggedRequest& r) {
    return r.method == "GET" && r.path != kManifestPath && !r.path.starts_with("/.log-mark-");
  });
}

void ExpectMakersFiles(const Release& r) {
  for (const auto& f : kPlan) {
    const auto bytes = fs::ReadWholeFile(r.InWorkDir(f.name));
    ASSERT_TRUE(bytes) << f.name;
    EXPECT_TRUE(*bytes == PatternBytes(f.seed, 0, f.size)) << f.name << " is not the maker's";
  }
  EXPECT_EQ(r.Left(), kAllFiles);
}

TEST(WorkerRelease, FilesTheMakerDidNotSignAreNeverHandedOver) {
  for (const ReleaseCase& c : kCases) {
    SCOPED_TRACE(c.name);
    Release r;
    c.spoil(r);
    EXPECT_EQ(r.Run(), c.outcome);
    EXPECT_EQ(r.Left(), c.left);
    EXPECT_EQ(AnyFileGet(r.tree.Log()), c.gets_files);
    if (c.outcome == "finished")
      ExpectMakersFiles(r);

    r.PutRight();
    EXPECT_EQ(r.Run(), "finished");
    ExpectMakersFiles(r);
  }
}

// Against a healthy server the key costs one request: the manifest, after
// the size probes and before the first file; every other request is as a
// run without a key makes it.
TEST(WorkerRelease, TheManifestIsTheOnlyNewRequest) {
  const auto requests = [](const testing::NginxTree& tree) {
    std::vector<std::string> out;
    for (const auto& req : tree.Log()) out.push_back(Describe(req));
    return testing::WithinFilesSorted(
        testing::InFileOrder(out, kProbes.size(), testing::SecondWord));
  };
  Release keyed;
  ASSERT_EQ(keyed.Run(), "finished");

  Release plain;
  FakeWorkerUi ui;
  TDownloadState state;
  SystemlessClock clock;
  PauseGate gate;
  RunDownloads(SettingsFor(plain.tree.Root(), plain.work_dir), {ui, state, clock, gate});
  ASSERT_EQ(ui.Outcome(), "finished");

  std::vector<std::string> expected = requests(plain.tree);
  expected.insert(expected.begin() + static_cast<long>(kProbes.size()),
                  "GET " + std::string(kManifestPath) + " -");
  EXPECT_EQ(requests(keyed.tree), expected);
}

}  // namespace
}  // namespace zentivo::download
