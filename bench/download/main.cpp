// The download worker end to end, for the benchmark: runs it with a window
// that only counts, against the server root it is given, and prints what it
// cost: wall time, bytes fetched, peak resident memory and bytes written.
//
//   bench_download SERVER_ROOT WORK_DIR
//
// The plan is agent 100176-1, a 2013 product, QUENXRPX_Word2007Flash: all
// eight files. Prints "key value" lines for bench/download/run-bench.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_download SERVER_ROOT WORK_DIR\n");
    return 2;
  }
  download::WorkerSettings settings;
  settings.ServerRoot = argv[1];
  settings.WorkDir = argv[2];
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
