#include "download/fetch_file.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "platform/fs.h"

namespace zentivo::download {
namespace {

// The partial file: every byte received is appended as it arrives, so the
// file always holds every byte received so far and memory stays bounded by
// one piece of a reply.
class TmpFile {
 public:
  enum class Opened { kOk, kUnreadable, kUnwritable };

  Opened Open(const std::string& path) {
    path_ = path;
    const bool existed = fs::FileExists(path) || fs::DirectoryExists(path);
    file_ = fs::File::Open(path, fs::File::Mode::kAppend);
    if (!file_)
      return existed ? Opened::kUnreadable : Opened::kUnwritable;
    const auto size = file_->Size();
    if (!size)
      return Opened::kUnreadable;
    length_ = *size;
    return Opened::kOk;
  }
  bool Append(std::span<const char> piece) {
    if (!file_->Write(piece))
      return false;
    length_ += static_cast<int64_t>(piece.size());
    return true;
  }
  // The server sent the whole file: start it again from its first byte.
  bool Restart() {
    file_.reset();
    file_ = fs::File::Open(path_, fs::File::Mode::kCreate);
    length_ = 0;
    return file_ != nullptr;
  }
  int64_t Length() const { return length_; }
  void Close() { file_.reset(); }

 private:
  std::string path_;
  std::unique_ptr<fs::File> file_;
  int64_t length_ = 0;
};

}  // namespace

std::string RangeValue(int64_t received, double remote_size) {
  std::string value = std::to_string(received) + "-";
  if ((remote_size - static_cast<double>(received)) / kRangeStep >= 1) {
    value += std::to_string(received + kRangeStep);
  } else {
    char whole[32];
    std::snprintf(whole, sizeof whole, "%.0f", remote_size);
    value += whole;
  }
  return value;
}

int64_t ContentRangeStart(const std::string& content_range) {
  constexpr std::string_view kUnit = "bytes ";
  if (content_range.rfind(kUnit, 0) != 0)
    return -1;
  int64_t start = 0;
  size_t i = kUnit.size();
  const size_t first = i;
  for (; i < content_range.size() && content_range[i] >= '0' && content_range[i] <= '9'; ++i) {
    start = start * 10 + (content_range[i] - '0');
  }
  if (i == first || i >= content_range.size() || content_range[i] != '-')
    return -1;
  return start;
}

std::string FailureMessage(std::string_view name, std::string_view text) {
  return "[" + std::string(name) + "]" + std::string(text);
}

FetchResult FileFetcher::FetchFile(std::string_view name, const std::string& url) {
  const std::string final_path = work_dir_ + "\\" + std::string(name);
  if (fs::FileExists(final_path))
    return {};
  try {
    HttpReply head;
    try {
      head = probe_.Head(url);
    } catch (...) {
      probe_.Disconnect();
      throw;
    }
    probe_.Disconnect();
    const auto remote = static_cast<double>(head.content_length);
    state_.CurrentRemoteSize = remote;
    // Without a length nothing tells a whole file from a part of one.
    if (remote < 0)
      return {false, FailureMessage(name, kNoLengthText)};
    received_ = 0;
    const std::string tmp_path = final_path + std::string(kTmpSuffix);
    if (FetchResult r = Transfer(name, tmp_path, remote); !r.ok)
      return r;
    if (!fs::MoveFileReplacing(tmp_path, final_path) || !fs::FileExists(final_path))
      return {false, FailureMessage(name, kPromoteText)};
    return {};
  } catch (const EIdHTTPProtocolException& e) {
    return {false, FailureMessage(name, e.what())};
  } catch (const EHttpFailure& e) {
    return {false, FailureMessage(name, e.what())};
  } catch (...) {
    return {false, FailureMessage(name, kUnexpectedText)};
  }
}

FetchResult FileFetcher::Transfer(std::string_view name, const std::string& tmp_path,
                                  double remote) {
  TmpFile tmp;
  switch (tmp.Open(tmp_path)) {
    case TmpFile::Opened::kOk:
      break;
    case TmpFile::Opened::kUnreadable:
      return {false, FailureMessage(name, kTmpUnreadableText)};
    case TmpFile::Opened::kUnwritable:
      return {false, FailureMessage(name, kTmpWriteText)};
  }
  received_ = tmp.Length();
  const std::string url = probe_.LastUrl();
  std::string_view refusal;  // why we stopped a reply ourselves

  const auto on_reply = [&](const HttpReply& reply) {
    if (reply.status == 206) {
      if (ContentRangeStart(reply.content_range) == received_)
        return true;
      refusal = kWrongRangeText;
      return false;
    }
    // Any other success carries the file from its first byte, whatever the
    // Range asked: take it as the file and drop what the .tmp held.
    if (tmp.Restart())
      return true;
    refusal = kTmpWriteText;
    return false;
  };
  const auto sink = [&](std::span<const char> piece) {
    if (!tmp.Append(piece)) {
      refusal = kTmpWriteText;
      return false;
    }
    gate_.WaitWhilePaused();
    return true;
  };

  while (static_cast<double>(received_) < remote) {
    gate_.WaitWhilePaused();
    const uint64_t holds = gate_.Holds();
    const int64_t before = received_;
    refusal = {};
    transfer_.SetRange("bytes=" + RangeValue(received_, remote));
    try {
      transfer_.Get(url, on_reply, sink);
    } catch (const EHttpFailure& e) {
      received_ = tmp.Length();
      if (!refusal.empty())
        return {false, FailureMessage(name, refusal)};
      const bool dropped =
          e.kind() == HttpFailureKind::kBroken || e.kind() == HttpFailureKind::kTimeout;
      // The worker was paused inside this request and the connection did not
      // survive it: ask again from what the .tmp holds.
      if (dropped && gate_.Holds() != holds) {
        transfer_.Disconnect();
        continue;
      }
      throw;
    }
    received_ = tmp.Length();
    if (received_ <= before)
      return {false, FailureMessage(name, kNoDataText)};
  }
  tmp.Close();
  return {};
}

}  // namespace zentivo::download
