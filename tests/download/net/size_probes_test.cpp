// The size probes in flight together, on both backends: each HEAD goes out
// only after the one before it, so the servers log them in the order of the
// URLs; a probe that fails or never gets an answer gives 0 or -1 as alone and
// keeps none of the later ones waiting.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <utility>

#include "download/size_probes.h"
#include "test_servers.h"

namespace zentivo::download {
namespace {

using testing::FaultScenario;
using testing::NginxTree;

// What the probes did, in the order it happened.
class Trace {
 public:
  struct Event {
    std::string what;  // "begin", "sent" or "end"
    std::string url;
  };
  void Add(std::string what, const std::string& url) {
    std::lock_guard lock(mutex_);
    events_.push_back({std::move(what), url});
  }
  std::vector<Event> Events() const {
    std::lock_guard lock(mutex_);
    return events_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Event> events_;
};

// A client of the platform's backend that tells the trace when its HEAD
// begins, has been sent and ends.
class TracedClient final : public TIdHTTP {
 public:
  explicit TracedClient(Trace& trace) : trace_(trace), inner_(CreateHttpClient()) {}

  void SetHandleRedirects(bool follow) override { inner_->SetHandleRedirects(follow); }
  void SetRange(const std::string& value) override { inner_->SetRange(value); }
  void SetIfRange(const std::string& value) override { inner_->SetIfRange(value); }
  void SetOnWorkBegin(WorkBeginHandler handler) override {
    inner_->SetOnWorkBegin(std::move(handler));
  }
  void SetOnWork(WorkHandler handler) override { inner_->SetOnWork(std::move(handler)); }
  void SetTimeouts(int connect_seconds, int stall_seconds) override {
    inner_->SetTimeouts(connect_seconds, stall_seconds);
  }
  void SetOnBeforeSend(BeforeSendHandler handler) override {
    inner_->SetOnBeforeSend(std::move(handler));
  }
  void SetOnRequestSent(RequestSentHandler handler) override {
    inner_->SetOnRequestSent([this, handler = std::move(handler)] {
      trace_.Add("sent", url_);
      if (handler)
        handler();
    });
  }
  HttpReply Head(const std::string& url) override {
    url_ = url;
    trace_.Add("begin", url);
    try {
      HttpReply reply = inner_->Head(url);
      trace_.Add("end", url);
      return reply;
    } catch (...) {
      trace_.Add("end", url);
      throw;
    }
  }
  using TIdHTTP::Get;
  HttpReply Get(const std::string& url, const ReplyHandler& on_reply,
                const BodySink& sink) override {
    return inner_->Get(url, on_reply, sink);
  }
  std::string LastUrl() const override { return inner_->LastUrl(); }
  void Disconnect() override { inner_->Disconnect(); }

 private:
  Trace& trace_;
  std::unique_ptr<TIdHTTP> inner_;
  std::string url_;
};

std::vector<int32_t> TracedProbes(const std::vector<std::string>& urls, Trace& trace) {
  return ProbeRemoteSizes(urls, HttpTimeouts{5, 1},
                          [&trace] { return std::make_unique<TracedClient>(trace); });
}

// Where `what` happened to probe `k` in the trace; -1 when it didn't.
ptrdiff_t At(const std::vector<Trace::Event>& events, const std::string& what,
             const std::string& url) {
  const auto it = std::find_if(events.begin(), events.end(), [&](const Trace::Event& e) {
    return e.what == what && e.url == url;
  });
  return it == events.end() ? -1 : it - events.begin();
}

// Every probe began once, ended once, was sent at most once, and began only
// after the one before it had been sent or had ended.
void ExpectSentInTurn(const std::vector<Trace::Event>& events,
                      const std::vector<std::string>& urls) {
  for (size_t k = 0; k < urls.size(); ++k) {
    SCOPED_TRACE(urls[k]);
    for (const std::string what : {"begin", "sent", "end"}) {
      const auto n = std::count_if(events.begin(), events.end(), [&](const Trace::Event& e) {
        return e.what == what && e.url == urls[k];
      });
      EXPECT_EQ(n, what == "sent" ? std::min<ptrdiff_t>(n, 1) : 1) << what;
    }
    if (k == 0)
      continue;
    const ptrdiff_t sent = At(events, "sent", urls[k - 1]);
    const ptrdiff_t turn = sent >= 0 ? sent : At(events, "end", urls[k - 1]);
    EXPECT_GT(At(events, "begin", urls[k]), turn) << "began before the one before it was sent";
  }
}

std::vector<std::string> Heads(const std::vector<testing::LoggedRequest>& log) {
  std::vector<std::string> out;
  for (const auto& r : log) out.push_back(r.method + " " + r.path);
  return out;
}

// Eight files as the worker probes them; many runs, each in another order,
// and nginx's access log lists every run's HEADs in its order.
TEST(SizeProbes, NginxLogsTheHeadsInTheOrderOfTheUrls) {
  const std::vector<std::pair<std::string, int32_t>> files = {
      {"//QUENXFlash/Word2007Flash/exe.ico", 5000},
      {"/QUENXFlash/Word2007Flash/TestFlash3.zip", 300},
      {"/QUENXFlash/Word2007Flash/PlayFlash.zip", 2000},
      {"//2014QUENX_install/uninstall/uninstall.exe", 524289},
      {"//QUENX_ZazivIV/100176-1(2013)/GlobeRPX/setup.zip", 1200000},
      {"/QUENX_ZazivIV/100176-1(2013)/QUENXRPX_Word2007Flash/Data/Maindb.db", 524288},
      {"/QUENXFlash/Word2007Flash/TestFlash.zip", 700000},
      {"/QUENXFlash/Word2007Flash/TestFlash2.zip", 1},
  };
  constexpr size_t kRuns = 30;
  NginxTree tree;
  for (const auto& [path, size] : files) tree.AddFile(path, size);

  std::vector<std::string> expected_log;
  for (size_t run = 0; run < kRuns; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    // Run r starts at file r mod 8, and every other run goes backwards.
    std::vector<std::pair<std::string, int32_t>> order = files;
    std::rotate(order.begin(), order.begin() + static_cast<ptrdiff_t>(run % files.size()),
                order.end());
    if (run % 2 == 1)
      std::reverse(order.begin(), order.end());
    std::vector<std::string> urls;
    std::vector<int32_t> expected_sizes;
    for (const auto& [path, size] : order) {
      urls.push_back(tree.Root() + path);
      expected_sizes.push_back(size);
      expected_log.push_back("HEAD " + path);
    }
    Trace trace;
    EXPECT_EQ(TracedProbes(urls, trace), expected_sizes);
    const auto events = trace.Events();
    ExpectSentInTurn(events, urls);
    for (const auto& url : urls) EXPECT_GE(At(events, "sent", url), 0) << url;
  }
  const auto heads = Heads(tree.Log());
  ASSERT_EQ(heads.size(), expected_log.size());
  const auto differ = std::mismatch(heads.begin(), heads.end(), expected_log.begin());
  if (differ.first != heads.end()) {
    const auto at = differ.first - heads.begin();
    ADD_FAILURE() << "line " << at << " of run " << at / files.size() << ": " << *differ.first
                  << " where " << *differ.second << " was due";
  }
}

struct Probe {
  const char* mode;  // the HEAD's reply mode on the fault server; "dead": nothing
                     // listens; "not a url"
  int64_t size;
  int32_t expected;
};

struct ProbesCase {
  const char* name;
  std::vector<Probe> probes;
};

const ProbesCase kFailureCases[] = {
    {"no probes", {}},
    {"a 404 between two files", {{"ok", 1000, 1000}, {"404", 10, 0}, {"ok", 3000, 3000}}},
    {"a 500 first", {{"500", 10, 0}, {"ok", 20, 20}}},
    {"replies without Content-Length", {{"nolength", 10, -1}, {"ok", 7, 7}, {"nolength", 10, -1}}},
    {"a redirect is not followed", {{"redirect", 10, 0}, {"ok", 8, 8}}},
    {"connection refused first and in the middle",
     {{"dead", 0, 0}, {"ok", 5, 5}, {"dead", 0, 0}, {"ok", 6, 6}}},
    {"nothing reachable", {{"dead", 0, 0}, {"dead", 0, 0}, {"dead", 0, 0}}},
    {"not a URL", {{"not a url", 0, 0}, {"ok", 9, 9}}},
    {"a server that reads the request and never answers",
     {{"ok", 4, 4}, {"mute", 10, 0}, {"ok", 100, 100}, {"404", 10, 0}, {"ok", 200, 200}}},
};

TEST(SizeProbes, FailuresGiveZeroOrMinusOneAndHoldUpNoneAfter) {
  for (const ProbesCase& c : kFailureCases) {
    SCOPED_TRACE(c.name);
    FaultScenario sc;
    std::vector<std::string> urls;
    std::vector<int32_t> expected;
    std::vector<std::string> expected_log;
    for (size_t k = 0; k < c.probes.size(); ++k) {
      const Probe& p = c.probes[k];
      const std::string mode = p.mode;
      const std::string path = "/p" + std::to_string(k);
      if (mode == "dead") {
        urls.push_back(testing::DeadUrl() + path);
      } else if (mode == "not a url") {
        urls.push_back("not a url");
      } else {
        sc.AddFile(path, p.size, mode);
        urls.push_back(sc.Root() + path);
        expected_log.push_back("HEAD " + path);
      }
      expected.push_back(p.expected);
    }
    Trace trace;
    EXPECT_EQ(TracedProbes(urls, trace), expected);
    const auto events = trace.Events();
    ExpectSentInTurn(events, urls);
    // Sent when a server got the request; never without a connection.
    for (size_t k = 0; k < c.probes.size(); ++k) {
      const std::string mode = c.probes[k].mode;
      EXPECT_EQ(At(events, "sent", urls[k]) >= 0, mode != "dead" && mode != "not a url") << urls[k];
    }
    // The probes after one that gets no answer end before it.
    for (size_t k = 0; k < c.probes.size(); ++k) {
      if (std::string(c.probes[k].mode) != "mute")
        continue;
      for (size_t later = k + 1; later < urls.size(); ++later) {
        EXPECT_LT(At(events, "end", urls[later]), At(events, "end", urls[k])) << urls[later];
      }
    }
    EXPECT_EQ(Heads(sc.Log()), expected_log);
  }
}

}  // namespace
}  // namespace zentivo::download
