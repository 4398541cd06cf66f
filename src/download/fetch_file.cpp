#include "download/fetch_file.h"

#include <algorithm>
#include <cstdio>

#include "download/range_round.h"
#include "platform/fs.h"

namespace zentivo::download {
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
    return {false, FailureMessage(name, PartialFileStatusText(status))};
  received_ = tmp.Length();
  const RoundSetup setup{
      probe_.LastUrl(), version.length, tmp, gate_, window_, received_, [this](int i) {
        return Client(i);
      }};
  while (tmp.Length() < version.length) {
    gate_.WaitWhilePaused();
    const RoundEnd end = RunRangeRound(setup);
    if (end.kind != RoundEnd::Kind::kFailed)
      continue;
    if (!end.refusal.empty())
      return {false, FailureMessage(name, end.refusal)};
    std::rethrow_exception(end.error);
  }
  if (!tmp.Promote(final_path))
    return {false, FailureMessage(name, kPromoteText)};
  return {};
}

TIdHTTP* FileFetcher::Client(int i) {
  if (i == 0)
    return &transfer_;
  while (more_ && static_cast<int>(extra_.size()) < i && extra_.size() + 1 < kMaxInFlight) {
    auto client = more_();
    if (!client)
      break;
    extra_.push_back(std::move(client));
  }
  return i <= static_cast<int>(extra_.size()) ? extra_[static_cast<size_t>(i - 1)].get() : nullptr;
}

}  // namespace zentivo::download
