// The size probes' turns with scripted clients whose connects end in an
// order the case chooses: every probe connects without waiting for the ones
// before it, and the HEADs still go out in the order of the URLs, past any
// probe that never got a connection.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "download/scripted_http_client.h"
#include "download/size_probes.h"

namespace zentivo::download {
namespace {

struct ProbeScript {
  int connect_after = -1;  // connects only once this probe has; -1: at once
  bool refused = false;    // the connect fails
  int32_t size = 0;
};

// What the probes did, and the connects they wait for.
class Line {
 public:
  // Waits until probe `k` has connected or refused; false after 5 s, which
  // means `k` never tried before its turn came.
  bool WaitForConnect(int k) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(5), [&] { return connected_.count(k); });
  }
  void Add(const std::string& what, int k) {
    {
      std::lock_guard lock(mutex_);
      events_.push_back(what + " " + std::to_string(k));
      if (what != "sent")
        connected_.insert(k);
    }
    changed_.notify_all();
  }
  std::vector<std::string> Events() {
    std::lock_guard lock(mutex_);
    return events_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::set<int> connected_;
  std::vector<std::string> events_;
};

class Client final : public ScriptedHttpClient {
 public:
  Client(const std::vector<ProbeScript>& scripts, Line& line) : scripts_(scripts), line_(line) {}

  HttpReply Head(const std::string& url) override {
    const int k = std::stoi(url.substr(url.rfind('/') + 1));
    const ProbeScript& script = scripts_[static_cast<size_t>(k)];
    if (script.connect_after >= 0 && !line_.WaitForConnect(script.connect_after))
      line_.Add("gave up waiting", k);
    if (script.refused) {
      line_.Add("refused", k);
      throw EHttpFailure(HttpFailureKind::kConnect, "refused");
    }
    line_.Add("connected", k);
    BeforeSend();
    line_.Add("sent", k);
    Sent();
    HttpReply reply;
    reply.status = 200;
    reply.content_length = script.size;
    return reply;
  }
  using TIdHTTP::Get;
  HttpReply Get(const std::string&, const ReplyHandler&, const BodySink&) override {
    throw EHttpFailure(HttpFailureKind::kOther, "a probe only asks HEAD");
  }
  std::string LastUrl() const override { return {}; }

 private:
  const std::vector<ProbeScript>& scripts_;
  Line& line_;
};

struct TurnsCase {
  const char* name;
  std::vector<ProbeScript> probes;
  std::vector<int32_t> sizes;
  std::vector<std::string> sent;  // in the order they went out
  // Every connect ends before the first HEAD goes out: the first probe's
  // connect waits, through the others', for all of them.
  bool all_connect_first;
};

const TurnsCase kTurnsCases[] = {
    {"the first connects last",
     {{3, false, 10}, {-1, false, 11}, {1, false, 12}, {2, false, 13}},
     {10, 11, 12, 13},
     {"sent 0", "sent 1", "sent 2", "sent 3"},
     true},
    {"each connects after the one after it",
     {{1, false, 1}, {2, false, 2}, {3, false, 3}, {-1, false, 4}},
     {1, 2, 3, 4},
     {"sent 0", "sent 1", "sent 2", "sent 3"},
     true},
    {"a connect refused after the later ones stand",
     {{-1, false, 5}, {3, true, 0}, {-1, false, 7}, {-1, false, 8}},
     {5, 0, 7, 8},
     {"sent 0", "sent 2", "sent 3"},
     false},
    {"the first refused once the rest stand",
     {{2, true, 0}, {-1, false, 6}, {1, false, 7}},
     {0, 6, 7},
     {"sent 1", "sent 2"},
     true},
};

TEST(SizeProbeTurns, ConnectsOverlapAndHeadsGoOutInOrder) {
  for (const TurnsCase& c : kTurnsCases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> urls;
    for (size_t k = 0; k < c.probes.size(); ++k) urls.push_back("http://h/" + std::to_string(k));
    Line line;
    const auto sizes = ProbeRemoteSizes(urls, HttpTimeouts{},
                                        [&] { return std::make_unique<Client>(c.probes, line); });
    EXPECT_EQ(sizes, c.sizes);
    const auto events = line.Events();
    std::vector<std::string> sent;
    for (const auto& e : events) {
      EXPECT_EQ(e.find("gave up"), std::string::npos) << "a connect waited for a turn";
      if (e.starts_with("sent"))
        sent.push_back(e);
    }
    EXPECT_EQ(sent, c.sent);
    if (c.all_connect_first) {
      const auto first_sent = std::find_if(events.begin(), events.end(),
                                           [](const auto& e) { return e.starts_with("sent"); });
      EXPECT_EQ(first_sent - events.begin(), static_cast<ptrdiff_t>(c.probes.size()));
    }
  }
}

}  // namespace
}  // namespace zentivo::download
