// The HTTP client's contract, the same for both backends (libcurl natively,
// WinINet under Wine), against nginx and the fault server on loopback.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <thread>

#include "download/http_client.h"
#include "download/network_check.h"
#include "test_servers.h"

namespace zentivo::download {
namespace {

using testing::FaultScenario;
using testing::NginxTree;
using testing::PatternBytes;

constexpr int64_t kFileSize = 1200000;
constexpr const char* kFile = "//QUENX_ZazivIV/0772-1/GlobeRPX/setup.zip";

struct Collected {
  std::string body;
  std::vector<int64_t> work;
  int64_t announced = -2;
  bool begin_before_body = false;
  std::thread::id thread;
};

HttpReply GetInto(TIdHTTP& client, const std::string& url, Collected& c) {
  client.SetOnWorkBegin([&](int64_t announced) {
    c.announced = announced;
    c.begin_before_body = c.body.empty();
  });
  client.SetOnWork([&](int64_t count) {
    c.work.push_back(count);
    c.thread = std::this_thread::get_id();
  });
  return client.Get(url, [&](std::span<const char> piece) {
    c.body.append(piece.data(), piece.size());
    return true;
  });
}

std::unique_ptr<TIdHTTP> ShortTimeoutClient() {
  auto client = CreateHttpClient();
  client->SetTimeouts(5, 1);
  return client;
}

TEST(HttpContract, HeadGivesStatusLineAndLength) {
  NginxTree tree;
  tree.AddFile(kFile, kFileSize);
  auto client = CreateHttpClient();
  const HttpReply reply = client->Head(tree.Root() + kFile);
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.status_line, "HTTP/1.1 200 OK");
  EXPECT_EQ(reply.content_length, kFileSize);
  EXPECT_EQ(client->LastUrl(), tree.Root() + kFile);
}

TEST(HttpContract, RangedGetsReuseOneConnectionAndKeepDoubleSlashes) {
  NginxTree tree;
  tree.AddFile(kFile, kFileSize, 7);
  auto client = CreateHttpClient();
  std::string whole;
  for (const char* range : {"bytes=0-524288", "bytes=524289-1048577", "bytes=1048578-1200000"}) {
    client->SetRange(range);
    Collected c;
    const HttpReply reply = GetInto(*client, tree.Root() + kFile, c);
    EXPECT_EQ(reply.status, 206);
    EXPECT_EQ(reply.status_line, "HTTP/1.1 206 Partial Content");
    whole += c.body;
  }
  EXPECT_EQ(whole, PatternBytes(7, 0, kFileSize));

  const auto log = tree.Log();
  ASSERT_EQ(log.size(), 3u);
  for (const auto& r : log) {
    EXPECT_EQ(r.path, kFile);  // sent as it is, both slashes
    EXPECT_EQ(r.connection, log[0].connection) << "range requests share one connection";
  }
  EXPECT_EQ(log[2].range, "bytes=1048578-1200000");
  EXPECT_EQ(log[2].bytes, kFileSize - 1048578);
}

TEST(HttpContract, ContentRangeAndWorkEventsOnTheCallingThread) {
  FaultScenario sc;
  sc.AddFile("/f", kFileSize);
  auto client = CreateHttpClient();
  client->SetRange("bytes=524289-1048577");
  Collected c;
  const HttpReply reply = GetInto(*client, sc.Root() + "/f", c);
  EXPECT_EQ(reply.content_range, "bytes 524289-1048577/1200000");
  EXPECT_EQ(reply.content_length, 524289);
  EXPECT_EQ(c.announced, 524289);
  EXPECT_TRUE(c.begin_before_body);
  ASSERT_FALSE(c.work.empty());
  EXPECT_EQ(c.work.back(), 524289);
  EXPECT_TRUE(std::is_sorted(c.work.begin(), c.work.end()));
  EXPECT_EQ(c.thread, std::this_thread::get_id());
  EXPECT_EQ(c.body, PatternBytes(0, 524289, 1048578));
}

TEST(HttpContract, ErrorRepliesRaiseTheStatusLine) {
  FaultScenario sc;
  sc.AddFile("/head404", 10, "404");
  sc.AddFile("/get500", 10, "ok", "500");
  auto client = CreateHttpClient();
  try {
    client->Head(sc.Root() + "/head404");
    FAIL() << "no exception";
  } catch (const EIdHTTPProtocolException& e) {
    EXPECT_EQ(e.status(), 404);
    EXPECT_STREQ(e.what(), "HTTP/1.1 404 Not Found");
  }
  Collected c;
  try {
    GetInto(*client, sc.Root() + "/get500", c);
    FAIL() << "no exception";
  } catch (const EIdHTTPProtocolException& e) {
    EXPECT_EQ(e.status(), 500);
    EXPECT_STREQ(e.what(), "HTTP/1.1 500 Internal Server Error");
  }
  EXPECT_TRUE(c.body.empty()) << "an error reply's body is not handed on";
}

TEST(HttpContract, MissingContentLengthIsMinusOne) {
  FaultScenario sc;
  sc.AddFile("/n", 5000, "nolength", "nolength");
  auto client = CreateHttpClient();
  EXPECT_EQ(client->Head(sc.Root() + "/n").content_length, -1);
  Collected c;
  EXPECT_EQ(GetInto(*client, sc.Root() + "/n", c).content_length, -1);
  EXPECT_EQ(c.body, PatternBytes(0, 0, 5000));
}

HttpFailureKind FailureOf(TIdHTTP& client, const std::string& url) {
  Collected c;
  try {
    GetInto(client, url, c);
  } catch (const EHttpFailure& e) {
    EXPECT_STRNE(e.what(), "");
    std::cout << url << ": " << e.detail() << "\n";
    return e.kind();
  }
  ADD_FAILURE() << "no failure for " << url;
  return HttpFailureKind::kOther;
}

TEST(HttpContract, BrokenTransfersFail) {
  FaultScenario sc;
  sc.AddFile("/reset", 300000, "ok", "reset@100000");
  sc.AddFile("/short", 300000, "ok", "short@100000");
  auto client = ShortTimeoutClient();
  EXPECT_EQ(FailureOf(*client, sc.Root() + "/reset"), HttpFailureKind::kBroken);
  EXPECT_EQ(FailureOf(*client, sc.Root() + "/short"), HttpFailureKind::kBroken);
  EXPECT_EQ(FailureOf(*client, testing::DeadUrl()), HttpFailureKind::kConnect);
}

// A server that answered and then went silent broke the connection in the
// middle of the reply; it is not one that can't be reached.
TEST(HttpContract, StalledTransferBreaksOff) {
  FaultScenario sc;
  sc.AddFile("/stall", 300000, "ok", "stall@1000");
  auto client = ShortTimeoutClient();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(FailureOf(*client, sc.Root() + "/stall"), HttpFailureKind::kBroken);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
}

TEST(HttpContract, RedirectsFollowedOnlyWhenAsked) {
  FaultScenario sc;
  sc.AddFile("/r", 4000, "redirect", "redirect");
  auto client = CreateHttpClient();
  try {
    client->Head(sc.Root() + "/r");
    FAIL() << "an unfollowed redirect must raise";
  } catch (const EIdHTTPProtocolException& e) {
    EXPECT_EQ(e.status(), 302);
    EXPECT_STREQ(e.what(), "HTTP/1.1 302 Found");
  }
  client->SetHandleRedirects(true);
  client->SetRange("bytes=0-999");
  Collected c;
  const HttpReply reply = GetInto(*client, sc.Root() + "/r", c);
  EXPECT_EQ(reply.status, 206);
  EXPECT_EQ(c.body, PatternBytes(0, 0, 1000));
  EXPECT_EQ(client->LastUrl(), sc.Root() + "/_moved/r");
}

TEST(HttpContract, CallerCanRefuseTheReplyOrTheBody) {
  FaultScenario sc;
  sc.AddFile("/f", 200000);
  auto client = CreateHttpClient();
  std::string got;
  try {
    client->Get(
        sc.Root() + "/f", [](const HttpReply& r) { return r.status == 206; },
        [&](std::span<const char> p) {
          got.append(p.data(), p.size());
          return true;
        });
    FAIL() << "refused reply must raise";
  } catch (const EHttpFailure& e) {
    EXPECT_EQ(e.kind(), HttpFailureKind::kAborted);
  }
  EXPECT_TRUE(got.empty());
  try {
    client->Get(sc.Root() + "/f", [](std::span<const char>) { return false; });
    FAIL() << "refused body must raise";
  } catch (const EHttpFailure& e) {
    EXPECT_EQ(e.kind(), HttpFailureKind::kAborted);
  }
  // The client is still usable.
  Collected c;
  EXPECT_EQ(GetInto(*client, sc.Root() + "/f", c).status, 200);
  EXPECT_EQ(c.body.size(), 200000u);
}

// The before-send and request-sent handlers: once each per Head or Get whose
// request went out, in that order, whatever the reply (an error, a redirect
// followed or not, a body that breaks), before the body's events, on the
// calling thread; never for a request that found no server. The backend
// prints nothing of its own.
struct SentCase {
  const char* name;
  bool get;          // GET, else HEAD
  const char* mode;  // the fault server's reply mode; "dead": nothing listens
  bool follow = false;
  int requests = 1;  // one after another on one client
};

const SentCase kSentCases[] = {
    {"HEAD of a file", false, "ok"},
    {"GET of a file", true, "ok"},
    {"three GETs on one kept-alive connection", true, "ok", false, 3},
    {"three HEADs on one kept-alive connection", false, "ok", false, 3},
    {"HEAD answered 404", false, "404"},
    {"GET answered 500", true, "500"},
    {"HEAD of a redirect not followed", false, "redirect"},
    {"GET through a followed redirect", true, "redirect", true},
    {"GET whose body breaks", true, "reset@1000"},
    {"GET answered without Content-Length", true, "nolength"},
    {"HEAD with no server", false, "dead"},
    {"GET with no server", true, "dead"},
};

TEST(HttpContract, RequestSentOncePerRequestThatWentOut) {
  for (const SentCase& c : kSentCases) {
    SCOPED_TRACE(c.name);
    FaultScenario sc;
    sc.AddFile("/f", 4000, c.mode, c.mode);
    const bool dead = std::string(c.mode) == "dead";
    const std::string url = dead ? testing::DeadUrl() : sc.Root() + "/f";
    auto client = ShortTimeoutClient();
    client->SetHandleRedirects(c.follow);
    std::vector<std::string> events;
    std::vector<std::thread::id> threads;
    client->SetOnBeforeSend([&] {
      events.push_back("ready");
      threads.push_back(std::this_thread::get_id());
    });
    client->SetOnRequestSent([&] {
      events.push_back("sent");
      threads.push_back(std::this_thread::get_id());
    });
    client->SetOnWorkBegin([&](int64_t) { events.push_back("begin"); });
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < c.requests; ++i) {
      try {
        if (c.get)
          client->Get(url, [](std::span<const char>) { return true; });
        else
          client->Head(url);
      } catch (const std::exception&) {
      }
      events.push_back("done");
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

    std::vector<std::string> one = {"done"};
    if (!dead)
      one.insert(one.begin(), {"ready", "sent"});
    if (!dead && c.get && std::string(c.mode) != "500")
      one.insert(one.end() - 1, "begin");
    std::vector<std::string> expected;
    for (int i = 0; i < c.requests; ++i) expected.insert(expected.end(), one.begin(), one.end());
    EXPECT_EQ(events, expected);
    for (const auto& id : threads) EXPECT_EQ(id, std::this_thread::get_id());
  }
}

TEST(ProbeRemoteSize, LengthOrMinusOneOrZero) {
  FaultScenario sc;
  sc.AddFile("/ok", 123456);
  sc.AddFile("/missing", 10, "404");
  sc.AddFile("/nolength", 10, "nolength");
  sc.AddFile("/broken", 10, "500");
  EXPECT_EQ(ProbeRemoteSize(sc.Root() + "/ok"), 123456);
  EXPECT_EQ(ProbeRemoteSize(sc.Root() + "/missing"), 0);
  EXPECT_EQ(ProbeRemoteSize(sc.Root() + "/nolength"), -1);
  EXPECT_EQ(ProbeRemoteSize(sc.Root() + "/broken"), 0);
  EXPECT_EQ(ProbeRemoteSize(testing::DeadUrl()), 0);
  EXPECT_EQ(ProbeRemoteSize("not a url"), 0);
  const auto log = sc.Log();
  ASSERT_EQ(log.size(), 4u);
  for (const auto& r : log) EXPECT_EQ(r.method, "HEAD");
}

TEST(CheckInternetConnection, RealConnectionsOnLoopback) {
  const std::string up = "http://127.0.0.1:" + std::to_string(testing::Servers().nginx_port);
  EXPECT_FALSE(CheckInternetConnection(testing::DeadUrl(), up));
  EXPECT_FALSE(CheckInternetConnection(up, testing::DeadUrl()));
  auto& platform = PlatformConnectionTests();
  if (!platform.LibraryConnected() || !platform.SystemConnected())
    GTEST_SKIP() << "this machine reports itself offline";
  EXPECT_TRUE(CheckInternetConnection(up, up));
}

}  // namespace
}  // namespace zentivo::download
