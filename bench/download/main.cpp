// The download worker end to end, for the benchmark: runs it with a window
// that only counts, against the server root it is given, and prints what it
// cost: wall time, bytes fetched, peak resident memory and bytes written.
//
//   bench_download SERVER_ROOT WORK_DIR [RELEASE_KEY]
//   bench_download sign SERVED_DIR
//
// The plan is agent 100176-1, a 2013 product, QUENXRPX_Word2007Flash: all
// eight files. Prints "key value" lines for bench/download/run-bench. With a
// release key the worker hashes what it writes and checks it against the
// manifest; "sign" makes a key, writes the manifest of every file below
// SERVED_DIR into it, signed with that key, and prints the key.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>

#include "download/partial_file.h"
#include "download/release_key.h"
#include "download/release_manifest.h"
#include "download/run_downloads.h"
#include "platform/fs.h"

namespace {

using namespace zentivo;

class CountingUi final : public download::WorkerUi {
 public:
  void Post(unsigned, int32_t) override { ++posts; }
  void SetProgressMax(int32_t) override {}
  void SetSizeText(const std::string&) override {}
  void SetRemainingText(const std::string&) override {}
  void ShowDownloadingView() override {}
  void ReportFailure(const std::string& message) override { End(message); }
  void RunOnFinished() override { End("finished"); }
  void RunOnFailed() override {}

  std::string Wait() {
    std::unique_lock lock(mutex_);
    ended_.wait(lock, [this] { return !outcome_.empty(); });
    return outcome_;
  }
  long posts = 0;

 private:
  void End(const std::string& outcome) {
    std::lock_guard lock(mutex_);
    outcome_ = outcome;
    ended_.notify_all();
  }
  std::mutex mutex_;
  std::condition_variable ended_;
  std::string outcome_;
};

// Fields of a /proc/self file of "name: value" or "name value" lines.
std::map<std::string, long long> ProcFields(const std::string& file) {
  std::map<std::string, long long> out;
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream l(line);
    std::string key;
    long long value = 0;
    if (l >> key >> value) {
      if (!key.empty() && key.back() == ':')
        key.pop_back();
      out[key] = value;
    }
  }
  return out;
}

// The maker's side for a served tree: a fresh key, the manifest of every
// file below `served_dir` as the server is asked for it, signed and put
// where the worker fetches it. The key goes to stdout.
int SignServedTree(const std::string& served_dir) {
  namespace stdfs = std::filesystem;
  const auto key = crypto::GenerateP256();
  if (!key) {
    std::fprintf(stderr, "bench_download: no key\n");
    return 1;
  }
  const stdfs::path manifest_file = stdfs::path(served_dir) / download::kManifestPath.substr(1);
  download::ReleaseManifest manifest;
  manifest.signed_at = "2026-12-11T08:00:00Z";
  for (const auto& e : stdfs::recursive_directory_iterator(served_dir)) {
    if (!e.is_regular_file() || e.path() == manifest_file)
      continue;
    crypto::Sha256 hash;
    if (!download::HashFile(e.path().string(), hash)) {
      std::fprintf(stderr, "bench_download: can't read %s\n", e.path().c_str());
      return 1;
    }
    const std::string path = "/" + e.path().lexically_relative(served_dir).generic_string();
    manifest.entries.push_back(
        {download::NormalServerPath(path), static_cast<int64_t>(e.file_size()), hash.Finish()});
  }
  const auto text = download::SignManifest(manifest, *key);
  if (!text || !fs::WriteWholeFile(manifest_file.string(), *text)) {
    std::fprintf(stderr, "bench_download: can't write %s\n", manifest_file.c_str());
    return 1;
  }
  std::printf("%s\n", download::EncodeReleaseKey(key->public_key).c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "sign")
    return SignServedTree(argv[2]);
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr,
                 "usage: bench_download SERVER_ROOT WORK_DIR [RELEASE_KEY]\n"
                 "       bench_download sign SERVED_DIR\n");
    return 2;
  }
  download::WorkerSettings settings;
  settings.ServerRoot = argv[1];
  settings.WorkDir = argv[2];
  if (argc == 4)
    settings.ReleaseKey = argv[3];
  settings.AppInfo.AgentVersion = "100176-1";
  settings.AppInfo.AppName = "Zentivo 2013";
  settings.AppInfo.AppEName = "QUENXRPX_Word2007Flash";

  CountingUi ui;
  download::TDownloadState state;
  const auto io_before = ProcFields("/proc/self/io");
  const auto start = std::chrono::steady_clock::now();
  auto worker = download::StartDownloadWorker(ui, settings, state, download::SystemLocalClock());
  const std::string outcome = ui.Wait();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const auto io_after = ProcFields("/proc/self/io");
  const auto status = ProcFields("/proc/self/status");

  long long fetched = 0;
  for (const auto& e : fs::ListDirectory(settings.WorkDir)) {
    if (e.attributes & fs::kAttrDirectory)
      continue;
    fetched += fs::FileSize(settings.WorkDir + "/" + e.name).value_or(0);
  }
  std::printf("outcome %s\n", outcome.c_str());
  std::printf("seconds %.3f\n", seconds);
  std::printf("bytes %lld\n", fetched);
  std::printf("total_size %d\n", state.TotalSize.load());
  std::printf("peak_rss_kb %lld\n", status.count("VmHWM") ? status.at("VmHWM") : -1);
  std::printf("write_bytes %lld\n", io_after.at("write_bytes") - io_before.at("write_bytes"));
  std::printf("wchar %lld\n", io_after.at("wchar") - io_before.at("wchar"));
  std::printf("posts %ld\n", ui.posts);
  return outcome == "finished" ? 0 : 1;
}
