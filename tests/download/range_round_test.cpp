// Several ranges of one file in flight, with scripted clients: whatever the
// order in which replies come, the .tmp grows only as the file's prefix, a
// failed range fails the file with its own reason after every range before
// it has reached the .tmp, and nothing after it does.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>

#include "download/fetch_file.h"
#include "download/scripted_http_client.h"
#include "platform/fs.h"
#include "support/temp_dir.h"

namespace zentivo::download {
namespace {

constexpr int64_t kRange = kRangeStep + 1;

std::string Content(int64_t length) {
  std::string out(static_cast<size_t>(length), '\0');
  for (int64_t i = 0; i < length; ++i) out[static_cast<size_t>(i)] = static_cast<char>(i * 7 % 251);
  return out;
}

// The server, as every client of a test sees it.
struct Script {
  std::string content;
  int64_t fail_first = -1;        // the range starting here goes wrong...
  int64_t fail_after = 0;         // ...after this many body bytes
  bool fail_with_portal = false;  // by a reply that is not the file; else the connection breaks
  std::mutex mutex;
  std::multiset<std::string> asked;
  int in_flight = 0;
  int most_in_flight = 0;
};

class ScriptedClient final : public ScriptedHttpClient {
 public:
  explicit ScriptedClient(Script& script) : script_(script) {}
  std::string LastUrl() const override { return "http://update/setup.zip"; }

  HttpReply Head(const std::string&) override {
    Send();
    HttpReply reply;
    reply.status = 200;
    reply.status_line = "HTTP/1.1 200 OK";
    reply.content_length = Length();
    return reply;
  }

  using TIdHTTP::Get;
  HttpReply Get(const std::string&, const ReplyHandler& on_reply, const BodySink& sink) override {
    {
      std::lock_guard lock(script_.mutex);
      script_.asked.insert(Range());
      script_.most_in_flight = std::max(script_.most_in_flight, ++script_.in_flight);
    }
    Send();
    struct Done {
      Script& s;
      ~Done() {
        std::lock_guard lock(s.mutex);
        --s.in_flight;
      }
    } done{script_};
    const auto [first, asked_last] = AskedRange();
    const int64_t last = std::min<int64_t>(asked_last, Length() - 1);
    const bool fails = first == script_.fail_first;
    HttpReply reply;
    reply.status = 206;
    reply.status_line = "HTTP/1.1 206 Partial Content";
    reply.content_length = last - first + 1;
    reply.content_range = "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" +
                          std::to_string(Length());
    if (fails && script_.fail_with_portal) {
      reply = HttpReply();
      reply.status = 200;
      reply.status_line = "HTTP/1.1 200 OK";
      reply.content_length = 3000;  // a portal's page
    }
    if (on_reply && !on_reply(reply))
      throw EHttpFailure(HttpFailureKind::kAborted, "refused");
    const int64_t end = fails ? first + script_.fail_after : last + 1;
    for (int64_t at = first; at < end;) {
      const int64_t n = std::min<int64_t>(64 * 1024, end - at);
      // Later ranges a little quicker, so that replies end out of order.
      std::this_thread::sleep_for(std::chrono::microseconds(first == 0 ? 3000 : 1000));
      if (!sink(std::span<const char>(script_.content.data() + at, static_cast<size_t>(n))))
        throw EHttpFailure(HttpFailureKind::kAborted, "refused");
      at += n;
    }
    if (fails)
      throw EHttpFailure(HttpFailureKind::kBroken, "reset");
    return reply;
  }

 private:
  int64_t Length() const { return static_cast<int64_t>(script_.content.size()); }
  Script& script_;
};

struct RoundCase {
  const char* name;
  int64_t length;
  int64_t fail_first;
  int64_t fail_after;
  bool portal;
  std::string outcome;  // "" or the failure box's text
  int64_t tmp_after;    // -1: promoted
};

const RoundCase kCases[] = {
    {"every range arrives", 5 * kRange - 1000, -1, 0, false, "", -1},
    {"a range breaks: those before it reach the .tmp, and what it brought", 6 * kRange, 3 * kRange,
     1000, false, "[setup.zip]网络连接中断", 3 * kRange + 1000},
    {"a reply that is not the file fails it after the ranges before", 6 * kRange, 2 * kRange, 0,
     true, "[setup.zip]服务器返回的内容不是所需文件", 2 * kRange},
};

TEST(RangeRound, TheTmpIsAlwaysThePrefix) {
  for (const RoundCase& c : kCases) {
    SCOPED_TRACE(c.name);
    Script script;
    script.content = Content(c.length);
    script.fail_first = c.fail_first;
    script.fail_after = c.fail_after;
    script.fail_with_portal = c.portal;
    testing::TempDir dir;
    ScriptedClient probe(script);
    ScriptedClient transfer(script);
    TDownloadState state;
    PauseGate gate;
    FileFetcher fetcher(probe, transfer, state, gate, dir.path(),
                        [&] { return std::make_unique<ScriptedClient>(script); });
    const FetchResult result = fetcher.FetchFile("setup.zip", "http://update/setup.zip", c.length);
    EXPECT_EQ(result.message, c.outcome);
    const auto tmp = fs::ReadWholeFile(dir / "setup.zip.tmp");
    if (c.tmp_after < 0) {
      EXPECT_FALSE(tmp);
      EXPECT_TRUE(fs::ReadWholeFile(dir / "setup.zip") == script.content);
    } else {
      ASSERT_TRUE(tmp);
      EXPECT_TRUE(*tmp == script.content.substr(0, static_cast<size_t>(c.tmp_after)))
          << "the .tmp holds " << tmp->size() << " bytes";
    }
    // Each range asked once, and only ranges of the sequence.
    std::set<std::string> expected;
    for (int64_t r = 0; r < c.length; r += kRange) {
      expected.insert("bytes=" + RangeValue(r, static_cast<double>(c.length)));
    }
    for (const auto& asked : script.asked) {
      EXPECT_EQ(script.asked.count(asked), 1u) << asked;
      EXPECT_TRUE(expected.count(asked)) << asked;
    }
    if (c.fail_first < 0) {
      EXPECT_EQ(script.asked.size(), expected.size());
      EXPECT_GE(script.most_in_flight, 2) << "once measured, the next range goes out early";
    }
  }
}

}  // namespace
}  // namespace zentivo::download
