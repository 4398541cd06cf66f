#include "download/fetch_file.h"

#include <algorithm>
#include <cstdio>

#include "download/reply_check.h"
#include "platform/fs.h"

namespace zentivo::download {
namespace {

std::string_view StatusText(PartialFile::Status status) {
  switch (status) {
    case PartialFile::Status::kOk:
      break;
    case PartialFile::Status::kUnreadable:
      return kTmpUnreadableText;
    case PartialFile::Status::kUnwritable:
      return kTmpWriteText;
    case PartialFile::Status::kDiskFull:
      return kDiskFullText;
  }
  return {};
}

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

std::string FailureMessage(std::string_view name, std::string_view text) {
  return "[" + std::string(name) + "]" + std::string(text);
}

FetchResult FileFetcher::FetchFile(std::string_view name, const std::string& url,
                                   int64_t probed_size) {
  const std::string final_path = work_dir_ + "\\" + std::string(name);
  if (fs::FileExists(final_path)) {
    // A finished download stays only while it is as long as the server's
    // file; anything else (a file replaced on the server, a damaged copy
    // that was cut or grown) is fetched again.
    const auto size = fs::FileSize(final_path);
    if (probed_size <= 0 || (size && *size == probed_size))
      return {};
  }
  try {
    HttpReply head;
    try {
      head = probe_.Head(url);
    } catch (...) {
      probe_.Disconnect();
      throw;
    }
    probe_.Disconnect();
    state_.CurrentRemoteSize = static_cast<double>(head.content_length);
    // Without a length nothing tells a whole file from a part of one.
    if (head.content_length < 0)
      return {false, FailureMessage(name, kNoLengthText)};
    received_ = 0;
    // An empty file on the server is no file to install.
    if (head.content_length == 0)
      return {};
    return Transfer(name, final_path, FileVersion::Of(head));
  } catch (const EIdHTTPProtocolException& e) {
    return {false, FailureMessage(name, e.what())};
  } catch (const EHttpFailure& e) {
    return {false, FailureMessage(name, e.what())};
  } catch (...) {
    return {false, FailureMessage(name, kUnexpectedText)};
  }
}

FetchResult FileFetcher::Transfer(std::string_view name, const std::string& final_path,
                                  const FileVersion& version) {
  PartialFile tmp;
  if (const auto status = tmp.Open(final_path + std::string(kTmpSuffix), version);
      status != PartialFile::Status::kOk)
    return {false, FailureMessage(name, StatusText(status))};
  received_ = tmp.Length();
  const int64_t remote = version.length;
  const std::string url = probe_.LastUrl();
  std::string_view refusal;  // why we stopped a reply ourselves
  int64_t asked = 0;

  const auto on_reply = [&](const HttpReply& reply) {
    switch (CheckRangeReply(reply, asked, remote)) {
      case ReplyUse::kAppend:
        return true;
      case ReplyUse::kRestart:
        if (const auto status = tmp.Restart(); status != PartialFile::Status::kOk) {
          refusal = StatusText(status);
          return false;
        }
        return true;
      case ReplyUse::kRefuse:
        break;
    }
    refusal = kNotTheFileText;
    return false;
  };
  const auto sink = [&](std::span<const char> piece) {
    // Never a byte beyond the file's length.
    const auto room = static_cast<size_t>(remote - tmp.Length());
    const auto status = tmp.Append(piece.first(std::min(piece.size(), room)));
    if (status != PartialFile::Status::kOk) {
      refusal = StatusText(status);
      return false;
    }
    gate_.WaitWhilePaused();
    return piece.size() <= room;
  };

  while (tmp.Length() < remote) {
    gate_.WaitWhilePaused();
    const uint64_t holds = gate_.Holds();
    asked = tmp.Length();
    refusal = {};
    transfer_.SetRange("bytes=" + RangeValue(asked, static_cast<double>(remote)));
    // Only the rest of the version the partial file holds; a changed file
    // comes back whole, as a 200.
    transfer_.SetIfRange(asked > 0 ? tmp.IfRange() : std::string());
    try {
      transfer_.Get(url, on_reply, sink);
    } catch (const EHttpFailure& e) {
      received_ = tmp.Length();
      if (!refusal.empty())
        return {false, FailureMessage(name, refusal)};
      // The body ran past the file's end: everything up to it is here.
      if (e.kind() == HttpFailureKind::kAborted && tmp.Length() == remote)
        break;
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
    if (received_ <= asked)
      return {false, FailureMessage(name, kNoDataText)};
  }
  if (!tmp.Promote(final_path))
    return {false, FailureMessage(name, kPromoteText)};
  return {};
}

}  // namespace zentivo::download
