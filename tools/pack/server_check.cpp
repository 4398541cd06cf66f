#include "pack/server_check.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "download/fetch_file.h"
#include "download/reply_check.h"
#include "install/byte_source.h"
#include "install/complete_installation.h"
#include "pack/archive_test.h"

namespace zentivo::pack {
namespace {

using download::HttpReply;
using download::PlanNeed;

constexpr int kStatusNotFound = 404;
constexpr int kStatusGone = 410;
constexpr int kStatusPartial = 206;
constexpr std::string_view kArchiveSuffix = ".zip";

bool IsRedirect(int status) {
  return status >= 300 && status < 400 && status != 304;
}

std::string Quoted(std::string_view s) {
  return "\"" + std::string(s) + "\"";
}

class Checker {
 public:
  Checker(const download::PlannedFile& file, const std::string& root,
          const download::HttpTimeouts& timeouts)
      : file_(file), root_(root), url_(root + file.path), timeouts_(timeouts) {
    c_.name = std::string(file.name);
    c_.need = file.need;
  }

  FileCheck Run() {
    if (file_.need == PlanNeed::kLeftOut)
      return c_;
    const auto head = AskHead();
    if (!head)
      return c_;
    const int64_t length = head->content_length;
    if (length < 0) {
      Problem("HEAD gives no Content-Length: the installer stops with " +
              Says(download::kNoLengthText));
      return c_;
    }
    if (length == 0) {
      if (Required())
        Problem("the file is empty (Content-Length 0): the installation would lack it");
      return c_;
    }
    CheckRanges(length);
    if (std::string_view(c_.name).ends_with(kArchiveSuffix))
      CheckArchive(length);
    return c_;
  }

 private:
  bool Required() const { return file_.need == PlanNeed::kAlways; }
  void Problem(std::string text) { c_.problems.push_back(std::move(text)); }
  // What the installer's failure box would say.
  std::string Says(std::string_view text) const {
    return Quoted(download::FailureMessage(c_.name, text));
  }

  std::unique_ptr<download::TIdHTTP> Client(bool follow) const {
    auto client = download::CreateHttpClient();
    client->SetTimeouts(timeouts_.connect_seconds, timeouts_.stall_seconds);
    client->SetHandleRedirects(follow);
    return client;
  }

  // The size probe's request: a fresh client that doesn't follow redirects.
  std::optional<HttpReply> AskHead() {
    try {
      const HttpReply reply = Client(false)->Head(url_);
      c_.head = std::to_string(reply.status);
      c_.length = reply.content_length < 0 ? "none" : std::to_string(reply.content_length);
      c_.served_length = reply.content_length;
      const bool etag = !reply.etag.empty(), modified = !reply.last_modified.empty();
      c_.validators = etag && modified ? "ETag+LM" : etag ? "ETag" : modified ? "LM" : "none";
      c_.encoding = reply.content_encoding.empty() ? "none" : reply.content_encoding;
      c_.redirect = "no";
      if (!etag && !modified && reply.content_length != 0)
        Problem(
            "HEAD sends neither ETag nor Last-Modified: caches can't tell a replaced file "
            "from the old one");
      if (!reply.content_encoding.empty())
        Problem("HEAD announces Content-Encoding " + reply.content_encoding +
                ": the installer counts the bytes as stored");
      return reply;
    } catch (const download::EIdHTTPProtocolException& e) {
      c_.head = std::to_string(e.status());
      HeadRefused(e);
    } catch (const download::EHttpFailure& e) {
      c_.head = "failed";
      Problem("HEAD failed: " + std::string(e.what()) + " (" + e.detail() +
              "): the installer stops with " + Says(e.what()));
    }
    return std::nullopt;
  }

  void HeadRefused(const download::EIdHTTPProtocolException& e) {
    const std::string outcome = Required() ? "the installer stops with " + Says(e.what())
                                           : "the installer leaves the file out";
    if (IsRedirect(e.status())) {
      c_.redirect = "HEAD to " + Followed();
      Problem("HEAD answers " + Quoted(e.what()) + " (a redirect) and the size probe doesn't " +
              "follow redirects: " + outcome);
      return;
    }
    const bool absent = e.status() == kStatusNotFound || e.status() == kStatusGone;
    if (!Required() && absent) {
      // The normal way to say that an edition has no such file.
      CheckDoubleSlash();
      return;
    }
    Problem("HEAD answers " + Quoted(e.what()) + ": " + outcome);
    if (absent)
      CheckDoubleSlash();
  }

  // Where a redirect leads, asked with a client that follows it.
  std::string Followed() const {
    try {
      auto client = Client(true);
      client->Head(url_);
      return client->LastUrl();
    } catch (const std::exception& e) {
      return std::string("? (") + e.what() + ")";
    }
  }

  // A server that doesn't merge "//" answers 404 where "/" would find the file.
  void CheckDoubleSlash() {
    if (file_.path.rfind("//", 0) != 0)
      return;
    try {
      Client(false)->Head(root_ + file_.path.substr(1));
    } catch (const std::exception&) {
      return;
    }
    Problem("the server doesn't merge the double slash: " + Quoted(file_.path) +
            " is not found but " + Quoted(file_.path.substr(1)) +
            " is (merge_slashes on in nginx, or a rewrite at the CDN)");
  }

  struct RangeReply {
    HttpReply reply;
    int64_t bytes = 0;
    std::string final_url;
  };

  // One of the installer's range requests, from `start` of a file of `length`.
  RangeReply AskRange(int64_t start, int64_t length) {
    RangeReply r;
    auto client = Client(true);
    client->SetRange("bytes=" + download::RangeValue(start, static_cast<double>(length)));
    client->Get(
        url_,
        [&r](const HttpReply& reply) {
          r.reply = reply;
          return true;
        },
        [&r](std::span<const char> piece) {
          r.bytes += static_cast<int64_t>(piece.size());
          return true;
        });
    r.final_url = client->LastUrl();
    return r;
  }

  // The first range request and, for a file longer than one request, the
  // last one, which names one byte past the end.
  void CheckRanges(int64_t length) {
    int64_t last = 0;
    while (static_cast<double>(length - last) / download::kRangeStep >= 1)
      last += download::kRangeStep + 1;
    bool ok = true;
    for (int64_t start : {int64_t{0}, last}) {
      ok = CheckRange(start, length) && ok;
      if (last == 0)
        break;
    }
    if (c_.range == "-")
      c_.range = ok ? "206 ok" : "206 bad";
  }

  bool CheckRange(int64_t start, int64_t length) {
    const std::string asked = "bytes=" + download::RangeValue(start, static_cast<double>(length));
    RangeReply r;
    try {
      r = AskRange(start, length);
    } catch (const download::EIdHTTPProtocolException& e) {
      c_.range = "failed";
      Problem("GET with Range " + asked + " answers " + Quoted(e.what()) +
              ": the installer stops with " + Says(e.what()));
      return false;
    } catch (const download::EHttpFailure& e) {
      c_.range = "failed";
      Problem("GET with Range " + asked + " failed: " + e.what() + " (" + e.detail() + ")");
      return false;
    }
    if (r.final_url != url_ && c_.redirect == "no")
      c_.redirect = "GET to " + r.final_url;
    if (!r.reply.content_encoding.empty()) {
      c_.encoding = r.reply.content_encoding;
      Problem("GET with Range " + asked + " comes back with Content-Encoding " +
              r.reply.content_encoding + ": the installer counts the bytes as stored");
    }
    if (r.reply.status != kStatusPartial) {
      c_.range = std::to_string(r.reply.status);
      Problem("GET with Range " + asked + " answers " + Quoted(r.reply.status_line) +
              " with the whole file: no single byte ranges, so downloads can't resume");
      return false;
    }
    const int64_t end = std::min(start + download::kRangeStep, length - 1);
    const std::string want =
        "bytes " + std::to_string(start) + "-" + std::to_string(end) + "/" + std::to_string(length);
    bool ok = true;
    if (r.reply.content_range != want) {
      std::string outcome;
      if (download::CheckRangeReply(r.reply, start, length) != download::ReplyUse::kAppend)
        outcome = ": the installer stops with " + Says(download::kNotTheFileText);
      Problem("GET with Range " + asked + " answers Content-Range " +
              Quoted(r.reply.content_range) + ", not " + Quoted(want) + outcome);
      ok = false;
    }
    if (r.bytes != end - start + 1) {
      Problem("GET with Range " + asked + " brings " + std::to_string(r.bytes) + " bytes, not " +
              std::to_string(end - start + 1));
      ok = false;
    }
    return ok;
  }

  // The whole file in the installer's range requests, kept in memory.
  std::optional<std::string> Download(int64_t length) {
    std::string data;
    auto client = Client(true);
    std::string refusal;
    // The installer's own judgement of each reply.
    const auto on_reply = [&](const HttpReply& reply) {
      switch (download::CheckRangeReply(reply, static_cast<int64_t>(data.size()), length)) {
        case download::ReplyUse::kAppend:
          return true;
        case download::ReplyUse::kRestart:
          data.clear();  // the whole file, whatever the Range asked
          return true;
        case download::ReplyUse::kRefuse:
          break;
      }
      refusal = std::string(download::kNotTheFileText);
      return false;
    };
    const auto sink = [&data](std::span<const char> piece) {
      data.append(piece.data(), piece.size());
      return true;
    };
    try {
      while (static_cast<int64_t>(data.size()) < length) {
        const size_t before = data.size();
        client->SetRange("bytes=" + download::RangeValue(static_cast<int64_t>(data.size()),
                                                         static_cast<double>(length)));
        client->Get(url_, on_reply, sink);
        if (data.size() <= before && !refusal.empty())
          break;
        if (data.size() <= before) {
          refusal = std::string(download::kNoDataText);
          break;
        }
      }
    } catch (const std::exception& e) {
      if (refusal.empty())
        refusal = e.what();
    }
    if (!refusal.empty()) {
      c_.archive = "download failed";
      Problem("the download stopped after " + std::to_string(data.size()) + " bytes: " + refusal);
      return std::nullopt;
    }
    if (static_cast<int64_t>(data.size()) != length) {
      c_.archive = "wrong size";
      Problem("the download brought " + std::to_string(data.size()) + " bytes, HEAD announced " +
              std::to_string(length));
      return std::nullopt;
    }
    return data;
  }

  void CheckArchive(int64_t length) {
    const auto data = Download(length);
    if (!data)
      return;
    c_.sha256 = crypto::Sha256Of(*data);
    install::MemoryByteSource source(*data);
    const ArchiveReport report = TestArchive(source);
    if (!report.failure.empty()) {
      c_.archive = "unreadable";
      Problem("the archive can't be read (" + report.failure + "): the installer says " +
              Quoted(install::kDamagedPackageMessage));
      return;
    }
    for (const auto& name : report.damaged)
      Problem("entry " + Quoted(name) + " fails its CRC-32 or length: the installer drops it");
    for (const auto& name : report.refused)
      Problem("entry name " + Quoted(name) + " is refused by the installer (it leaves the " +
              "folder, names a device or holds a character Windows forbids)");
    for (const auto& name : report.unreadable)
      Problem("entry " + Quoted(name) + " is encrypted, ZIP64 or neither stored nor " +
              "deflated: the installer skips it");
    if (report.ok()) {
      c_.archive = std::to_string(report.files) + " files ok";
    } else {
      c_.archive =
          std::to_string(report.damaged.size() + report.refused.size() + report.unreadable.size()) +
          " bad entries";
    }
  }

  const download::PlannedFile& file_;
  const std::string root_;
  const std::string url_;
  const download::HttpTimeouts timeouts_;
  FileCheck c_;
};

}  // namespace

FileCheck CheckFile(const download::PlannedFile& file, const std::string& server_root,
                    const download::HttpTimeouts& timeouts) {
  return Checker(file, server_root, timeouts).Run();
}

}  // namespace zentivo::pack
