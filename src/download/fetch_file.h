// FetchFile: one file of the plan into WorkDir, in ranged GETs appended to
// N + ".tmp", resumed from what an earlier run left there when it is the
// same version of the file, and promoted to N when it holds the length the
// server announced. FetchFiles: the files of the plan one after another,
// with no idle link between them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "download/client_pool.h"
#include "download/download_state.h"
#include "download/http_client.h"
#include "download/in_flight_window.h"
#include "download/partial_file.h"
#include "download/pause_gate.h"
#include "download/release_manifest.h"

namespace zentivo::download {

// Each range request asks for this many bytes plus one (the end is inclusive).
inline constexpr int64_t kRangeStep = 524288;

// The failures that have no message of the client's: the program's words.
inline constexpr std::string_view kTmpUnreadableText = "临时文件无法读取";
inline constexpr std::string_view kTmpWriteText = "临时文件无法写入";
inline constexpr std::string_view kNoLengthText = "服务器没有提供文件大小";
inline constexpr std::string_view kNotTheFileText = "服务器返回的内容不是所需文件";
inline constexpr std::string_view kDiskFullText = "磁盘空间不足";
inline constexpr std::string_view kNoDataText = "服务器没有返回数据";
inline constexpr std::string_view kPromoteText = "文件保存失败";
inline constexpr std::string_view kUnexpectedText = "下载出错";
// A proxy asked for credentials and none were given, or it refused them.
inline constexpr std::string_view kProxyAuthText = "代理服务器需要身份验证";

// A failed write to the ".tmp" in the program's words.
std::string_view PartialFileStatusText(PartialFile::Status status);

// The Range header's value after "bytes=": "0-524288" for the first request,
// "524289-1048577" for the next, and for the last piece of a file the end is
// the remote size itself ("1048578-1200000" for 1200000 bytes).
std::string RangeValue(int64_t received, double remote_size);

// "[" + name + "]" + text, as the failure box shows it.
std::string FailureMessage(std::string_view name, std::string_view text);

struct [[nodiscard]] FetchResult {
  bool ok = true;
  std::string message;  // the failure box's text when !ok
};

// One file of the plan: its name in WorkDir, its URL and what this run's
// size probe found for it (0 when the probe failed).
struct FileJob {
  std::string_view name;
  std::string url;
  int64_t probed_size = 0;
  std::optional<int32_t> code;  // CurrentFile while it is the current file
  std::string path;             // its path on the server, as the manifest lists it
};

class FileFetcher {
 public:
  // `probe` sends the HEAD of each file and is disconnected after it;
  // `transfer` sends the ranged GETs (its work handlers read ReceivedBytes),
  // together with up to kMaxInFlight - 1 clients that `more` makes as the
  // link calls for them. Without `more` one range is in flight at a time.
  FileFetcher(TIdHTTP& probe, TIdHTTP& transfer, TDownloadState& state, PauseGate& gate,
              std::string work_dir, ClientFactory more = nullptr);
  ~FileFetcher();

  // Fetches the files one after another: the requests go out in the order
  // one file at a time would send them, but once a file's last range is on
  // its way, the next file's HEAD (its connection made shortly before and
  // held) and first ranges follow at once, and a
  // finished file is renamed while the next one arrives. Bytes reach each
  // ".tmp" only while its file is the current one. `before(i)` runs on this
  // thread as `jobs[i]` becomes the current file. The result is the first
  // failure in the order of the files; every file before it is in place.
  FetchResult FetchFiles(std::span<const FileJob> jobs,
                         const std::function<void(size_t)>& before = nullptr);
  // From here on every file is checked against `manifest` (which must
  // outlive the fetcher): a HEAD length it doesn't list fails the file
  // before its first GET, a finished .tmp whose SHA-256 it doesn't list is
  // removed and fails the file, and a finished download already in the
  // working folder is kept only when it hashes as listed. `verified(i)` runs,
  // on any of the fetcher's threads, for each file of FetchFiles' `jobs`
  // that passed.
  void CheckAgainst(const ReleaseManifest* manifest, std::function<void(size_t)> verified);

  // A finished file of another size than `probed_size` is fetched again.
  FetchResult FetchFile(std::string_view name, const std::string& url, int64_t probed_size);

  // Calls `report` with the bytes of the current file held in its ".tmp",
  // as they reach it, while the current file stays the same: the transfer clients' work handlers
  // run on their threads, also while the next file's first ranges arrive and the current file
  // changes.
  void WithReceivedBytes(const std::function<void(int64_t)>& report) const;

 private:
  struct Ahead;
  class Run;

  // `code` (when given) becomes CurrentFile and `received` (none: 0) the
  // current file's byte count, in one step as the work handlers see it.
  void MakeCurrent(std::optional<int32_t> code, const std::atomic<int64_t>* received);

  // True when the finished file at `path` is one the manifest lists for `job`.
  bool FinishedFileIsListed(const FileJob& job, const std::string& path) const;

  TIdHTTP& probe_;
  TDownloadState& state_;
  const ReleaseManifest* manifest_ = nullptr;
  std::function<void(size_t)> verified_;
  PauseGate& gate_;
  std::string work_dir_;
  ClientPool clients_;                // kept for the whole run, so connections are reused
  InFlightWindow window_;             // learnt over the run, not per file
  mutable std::mutex current_mutex_;  // CurrentFile and received_ change together
  std::atomic<int64_t> none_ = 0;
  const std::atomic<int64_t>* received_ = &none_;
};

}  // namespace zentivo::download
