// libFuzzer target: the worker's handling of what the update server sends,
// through a scripted in-memory client. The input picks the file's length,
// what the working folder holds before (a partial file of this or another
// version, with or without its record), the HEAD's reply and a script of
// replies to the range requests: any status, Content-Length, Content-Range
// start and total, a body cut anywhere or a failure of the connection. The
// server never sends bytes other than the file's own at the places its
// headers name, so whatever it does:
//   1. the ".tmp" is always a prefix of the file;
//   2. a file that gets its final name is the file, as long as the HEAD said;
//   3. nothing is ever longer than the file.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>

#include "download/fetch_file.h"
#include "download/scripted_http_client.h"
#include "download/partial_file.h"
#include "platform/fs.h"
#include "platform/fuzz_check.h"
#include "support/temp_dir.h"

using zentivo::fuzz::Require;
namespace download = zentivo::download;
namespace fs = zentivo::fs;

namespace {

constexpr size_t kPiece = 16 * 1024;

// Bytes [from, to) of the file of `seed`: a slice of one fixed pattern whose
// period is prime, so no shift of it repeats soon.
std::string FileBytes(int64_t from, int64_t to, int seed) {
  static const std::string pattern = [] {
    std::string p(65521, '\0');
    uint32_t x = 1;
    for (char& c : p) {
      x = x * 1103515245u + 12345u;
      c = static_cast<char>(x >> 16);
    }
    return p;
  }();
  std::string out;
  for (int64_t i = from; i < to;) {
    const size_t at = static_cast<size_t>((i + seed * 4099) % static_cast<int64_t>(pattern.size()));
    const size_t n = std::min<size_t>(pattern.size() - at, static_cast<size_t>(to - i));
    out.append(pattern, at, n);
    i += static_cast<int64_t>(n);
  }
  return out;
}

struct Scripted {
  int status = 206;
  int64_t first_shift = 0;  // Content-Range start relative to the asked one
  int64_t total = 0;        // Content-Range total
  int64_t length = -1;      // Content-Length announced
  std::string body;
  enum class Fail { kNone, kConnect, kTimeout, kBrokenAfterBody } fail = Fail::kNone;
  bool has_range = true;
};

class ScriptedServer {
 public:
  ScriptedServer(FuzzedDataProvider& in, int64_t length, int seed)
      : in_(in), length_(length), seed_(seed) {}

  download::HttpReply Head() {
    download::HttpReply r;
    r.status = 200;
    r.status_line = "HTTP/1.1 200 OK";
    switch (in_.ConsumeIntegralInRange(0, 7)) {
      case 0:
        r.content_length = -1;
        break;
      case 1:
        r.content_length = std::max<int64_t>(0, length_ + in_.ConsumeIntegralInRange(-3, 3));
        break;
      default:
        r.content_length = length_;
    }
    if (in_.ConsumeBool())
      r.etag = "\"v" + std::to_string(seed_) + "\"";
    head_length_ = r.content_length;
    return r;
  }

  // The reply to a range request asking from `asked`; a healthy one once the
  // script has run out.
  Scripted Next(int64_t asked, int64_t asked_last) {
    Scripted s;
    const int64_t last = std::min(asked_last, length_ - 1);
    s.total = length_;
    if (in_.remaining_bytes() == 0 || in_.ConsumeIntegralInRange(0, 3) == 0) {
      s.body = FileBytes(asked, last + 1, seed_);
      s.length = static_cast<int64_t>(s.body.size());
      return s;
    }
    const int kind = in_.ConsumeIntegralInRange(0, 9);
    s.first_shift = in_.ConsumeIntegralInRange(-2, 2);
    s.total = length_ + (in_.ConsumeBool() ? in_.ConsumeIntegralInRange(-2, 2) : 0);
    const int64_t first = std::clamp<int64_t>(asked + s.first_shift, 0, length_);
    const int64_t end =
        std::clamp<int64_t>(last + 1 + in_.ConsumeIntegralInRange(-3, 3), first, length_);
    switch (kind) {
      case 0:  // the server ignores Range: the whole file
        s.status = 200;
        s.has_range = false;
        s.body = FileBytes(0, length_, seed_);
        break;
      case 1:  // a captive portal's page
        s.status = 200;
        s.has_range = false;
        s.body = "<html>log in</html>";
        break;
      case 2:  // the head of the file, said to be all of it
        s.status = 200;
        s.has_range = false;
        s.body = FileBytes(0, in_.ConsumeIntegralInRange<int64_t>(0, length_), seed_);
        break;
      case 3:
        s.status = in_.PickValueInArray({204, 304, 302, 301, 100, 0});
        s.has_range = false;
        break;
      case 4:
        s.status = in_.PickValueInArray({404, 416, 500, 503});
        break;
      default:  // a 206, honest about the bytes it sends
        s.body = FileBytes(first, end, seed_);
    }
    s.length = static_cast<int64_t>(s.body.size()) +
               (in_.ConsumeIntegralInRange(0, 5) == 0 ? in_.ConsumeIntegralInRange(-2, 2) : 0);
    if (in_.ConsumeIntegralInRange(0, 4) == 0)
      s.length = -1;
    if (in_.ConsumeIntegralInRange(0, 3) == 0) {
      s.fail = in_.PickValueInArray(
          {Scripted::Fail::kConnect, Scripted::Fail::kTimeout, Scripted::Fail::kBrokenAfterBody});
      if (s.fail == Scripted::Fail::kBrokenAfterBody)
        s.body.resize(in_.ConsumeIntegralInRange<size_t>(0, s.body.size()));
    }
    return s;
  }

 private:
  FuzzedDataProvider& in_;
  int64_t length_;
  int seed_;
  int64_t head_length_ = 0;
};

class ScriptedClient final : public download::ScriptedHttpClient {
 public:
  explicit ScriptedClient(ScriptedServer& server) : server_(server) {}
  download::HttpReply Head(const std::string& url) override {
    url_ = url;
    Send();
    return server_.Head();
  }
  using TIdHTTP::Get;
  download::HttpReply Get(const std::string& url, const ReplyHandler& on_reply,
                          const BodySink& sink) override {
    url_ = url;
    const auto [first, last] = AskedRange();
    const Scripted s = server_.Next(first, last);
    using download::EHttpFailure;
    using download::HttpFailureKind;
    if (s.fail == Scripted::Fail::kConnect)
      throw EHttpFailure(HttpFailureKind::kConnect, "scripted");
    if (s.fail == Scripted::Fail::kTimeout)
      throw EHttpFailure(HttpFailureKind::kTimeout, "scripted");
    Send();
    download::HttpReply reply;
    reply.status = s.status;
    reply.status_line = "HTTP/1.1 " + std::to_string(s.status) + " Scripted";
    reply.content_length = s.length;
    if (s.status == 206 && s.has_range) {
      const int64_t rfirst = first + s.first_shift;
      reply.content_range = "bytes " + std::to_string(rfirst) + "-" +
                            std::to_string(rfirst + static_cast<int64_t>(s.body.size()) - 1) + "/" +
                            std::to_string(s.total);
    }
    if (s.status >= 400 || s.status == 0)
      throw download::EIdHTTPProtocolException(s.status, reply.status_line);
    if (on_reply && !on_reply(reply))
      throw EHttpFailure(HttpFailureKind::kAborted, "reply refused");
    for (size_t at = 0; at < s.body.size(); at += kPiece) {
      const size_t n = std::min(kPiece, s.body.size() - at);
      if (sink && !sink(std::span<const char>(s.body.data() + at, n)))
        throw EHttpFailure(HttpFailureKind::kAborted, "body refused");
    }
    if (s.fail == Scripted::Fail::kBrokenAfterBody)
      throw EHttpFailure(HttpFailureKind::kBroken, "scripted");
    return reply;
  }
  std::string LastUrl() const override { return url_; }

 private:
  ScriptedServer& server_;
  std::string url_;
};

const std::string& WorkDir() {
  static zentivo::testing::TempDir dir;
  return dir.path();
}

void Clear(const std::string& dir) {
  for (const auto& e : fs::ListDirectory(dir)) {
    if (e.name != "." && e.name != "..")
      (void)fs::RemoveFile(dir + "/" + e.name);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  // Mostly a file of one range, sometimes two or three, so that resuming
  // across ranges is reached without making every run slow.
  const int64_t length = in.ConsumeBool()
                             ? in.ConsumeIntegralInRange<int64_t>(1, 4096)
                             : in.ConsumeIntegralInRange<int64_t>(download::kRangeStep - 2,
                                                                  2 * download::kRangeStep + 4);
  const int seed = in.ConsumeIntegralInRange(0, 3);
  const std::string& dir = WorkDir();
  Clear(dir);
  const std::string final_path = dir + "/setup.zip";
  const std::string tmp_path = final_path + ".tmp";
  const std::string served = FileBytes(0, length, seed);

  // What an earlier run left: a prefix of this file, or of another version
  // with a record that says so.
  const std::string old_record =
      download::FileVersion{length, "\"v" + std::to_string(seed + 7) + "\"", ""}.Serialize();
  if (in.ConsumeBool()) {
    const int64_t held = in.ConsumeIntegralInRange<int64_t>(0, length);
    const bool other_version = in.ConsumeBool();
    (void)fs::WriteWholeFile(tmp_path, FileBytes(0, held, other_version ? seed + 7 : seed));
    if (other_version)
      (void)fs::WriteWholeFile(tmp_path + std::string(download::kVersionSuffix), old_record);
  }

  ScriptedServer server(in, length, seed);
  for (int run = 0; run < 3 && !fs::FileExists(final_path); ++run) {
    ScriptedClient probe(server), transfer(server);
    download::TDownloadState state;
    download::PauseGate gate;
    download::FileFetcher fetcher(probe, transfer, state, gate, dir);
    (void)fetcher.FetchFile("setup.zip", "http://update.invalid/setup.zip", 0);
    const auto tmp = fs::ReadWholeFile(tmp_path);
    const auto record = fs::ReadWholeFile(tmp_path + std::string(download::kVersionSuffix));
    // A .tmp of the other version stays only as long as its own record does;
    // every other .tmp is a prefix of the file.
    if (tmp && !(record && *record == old_record)) {
      Require(tmp->size() <= served.size(), "the .tmp is no longer than the file");
      Require(served.compare(0, tmp->size(), *tmp) == 0, "the .tmp is a prefix of the file");
    }
    if (const auto got = fs::ReadWholeFile(final_path)) {
      Require(got->size() <= served.size(), "a promoted file is no longer than the file");
      Require(served.compare(0, got->size(), *got) == 0, "a promoted file is the file");
      Require(!got->empty(), "an empty file is never promoted");
    }
  }
  return 0;
}
