// Files one after another with several connections: the next file's HEAD
// and first ranges go out while the last ranges of the file before it
// arrive, yet the requests keep the order one file at a time would give
// them, and no byte of a file reaches its .tmp before the file before it is
// whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <iostream>
#include <map>
#include <mutex>
#include <thread>

#include "download/fetch_file.h"
#include "download/scripted_http_client.h"
#include "net/file_order.h"
#include "platform/fs.h"
#include "support/links.h"
#include "support/temp_dir.h"

namespace zentivo::download {
namespace {

constexpr int64_t kRange = kRangeStep + 1;

std::string Content(int64_t length, int seed) {
  std::string out(static_cast<size_t>(length), '\0');
  for (int64_t i = 0; i < length; ++i)
    out[static_cast<size_t>(i)] = static_cast<char>((i * 7 + seed) % 251);
  return out;
}

// The server: files by URL, and what happened, in order.
struct Server {
  std::map<std::string, std::string> files;
  std::string dir;  // the working folder, to look into as replies arrive
  std::mutex mutex;
  std::vector<std::string> started;                 // "HEAD a", "GET a bytes=..."
  std::map<std::string, int64_t> tmp_at_last_byte;  // url -> next file's .tmp length
  std::map<std::string, std::string> next_of;       // url -> the next file's name
  bool overlapped = false;             // a request of one file began while another file's ran
  std::map<std::string, int> running;  // url -> requests in progress
  std::vector<std::string> connected;  // "HEAD b": a HEAD's connection stands
  std::condition_variable changed;
  // A GET ("GET url bytes=...") whose connect fails once `after_connect`
  // has connected (or 5 s have passed): it never goes out.
  std::string refused, after_connect;
  // A request that waits this long before it goes out.
  std::map<std::string, std::chrono::milliseconds> slow;
  // Requests whose first try finds the connection closed once it stands:
  // the request is lost and the client fails.
  std::map<std::string, int> closed_once;
};

class Client final : public ScriptedHttpClient {
 public:
  explicit Client(Server& server) : s_(server) {}
  std::string LastUrl() const override { return url_; }

  HttpReply Head(const std::string& url) override {
    url_ = url;
    {
      std::lock_guard lock(s_.mutex);
      s_.connected.push_back("HEAD " + url);
    }
    s_.changed.notify_all();
    Begin("HEAD " + url, url);
    HttpReply reply;
    reply.status = 200;
    reply.status_line = "HTTP/1.1 200 OK";
    reply.content_length = static_cast<int64_t>(s_.files.at(url).size());
    End(url);
    return reply;
  }

  using TIdHTTP::Get;
  HttpReply Get(const std::string& url, const ReplyHandler& on_reply,
                const BodySink& sink) override {
    if ("GET " + url + " " + Range() == s_.refused) {
      std::unique_lock lock(s_.mutex);
      s_.changed.wait_for(lock, std::chrono::seconds(5), [&] {
        return std::count(s_.connected.begin(), s_.connected.end(), s_.after_connect) > 0;
      });
      throw EHttpFailure(HttpFailureKind::kConnect, "connection refused");
    }
    Begin("GET " + url + " " + Range(), url);
    const std::string& body = s_.files.at(url);
    const auto length = static_cast<int64_t>(body.size());
    const auto [first, asked_last] = AskedRange();
    const int64_t last = std::min<int64_t>(asked_last, length - 1);
    HttpReply reply;
    reply.status = 206;
    reply.status_line = "HTTP/1.1 206 Partial Content";
    reply.content_length = last - first + 1;
    reply.content_range = "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" +
                          std::to_string(length);
    if (on_reply && !on_reply(reply))
      throw EHttpFailure(HttpFailureKind::kAborted, "refused");
    for (int64_t at = first; at <= last;) {
      const int64_t n = std::min<int64_t>(64 * 1024, last + 1 - at);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      if (at + n == length) {
        // The file's last byte: the next file's .tmp has had nothing yet.
        std::lock_guard lock(s_.mutex);
        if (const auto next = s_.next_of.find(url); next != s_.next_of.end())
          s_.tmp_at_last_byte[url] =
              fs::FileSize(s_.dir + "\\" + next->second + ".tmp").value_or(0);
      }
      if (!sink(std::span<const char>(body.data() + at, static_cast<size_t>(n))))
        throw EHttpFailure(HttpFailureKind::kAborted, "refused");
      at += n;
    }
    End(url);
    return reply;
  }

 private:
  // The server sees a request once it is sent: a HEAD may connect early and
  // wait for its turn.
  void Begin(const std::string& what, const std::string& url) {
    if (const auto slow = s_.slow.find(what); slow != s_.slow.end())
      std::this_thread::sleep_for(slow->second);
    BeforeSend();
    {
      std::lock_guard lock(s_.mutex);
      if (s_.closed_once.count(what) && s_.closed_once[what]++ == 0)
        throw EHttpFailure(HttpFailureKind::kBroken, "connection closed by the server");
    }
    {
      std::lock_guard lock(s_.mutex);
      s_.started.push_back(what);
      for (const auto& [other, n] : s_.running) {
        if (other != url && n > 0)
          s_.overlapped = true;
      }
      ++s_.running[url];
    }
    Sent();
  }
  void End(const std::string& url) {
    std::lock_guard lock(s_.mutex);
    --s_.running[url];
  }

  Server& s_;
  std::string url_;
};

TEST(FetchFiles, TheNextFileOverlapsButKeepsItsPlace) {
  struct File {
    const char* name;
    int64_t length;
  };
  const File kFiles[] = {{"a.zip", 3 * kRange + 100}, {"b.db", 2 * kRange}, {"c.ico", 5000}};
  Server server;
  testing::TempDir dir;
  server.dir = dir.path();
  std::vector<FileJob> jobs;
  for (size_t i = 0; i < std::size(kFiles); ++i) {
    const std::string url = std::string("http://update/") + kFiles[i].name;
    server.files[url] = Content(kFiles[i].length, static_cast<int>(i));
    if (i + 1 < std::size(kFiles))
      server.next_of[url] = kFiles[i + 1].name;
    jobs.push_back({kFiles[i].name, url, kFiles[i].length, std::nullopt, {}});
  }
  Client probe(server), transfer(server);
  TDownloadState state;
  PauseGate gate;
  FileFetcher fetcher(probe, transfer, state, gate, dir.path(),
                      [&] { return std::make_unique<Client>(server); });
  std::vector<size_t> turns;
  const FetchResult result = fetcher.FetchFiles(jobs, [&](size_t i) { turns.push_back(i); });
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(turns, (std::vector<size_t>{0, 1, 2}));

  for (size_t i = 0; i < std::size(kFiles); ++i) {
    EXPECT_TRUE(fs::ReadWholeFile(dir / kFiles[i].name) == server.files[jobs[i].url])
        << kFiles[i].name;
    EXPECT_FALSE(fs::FileExists(dir / (std::string(kFiles[i].name) + ".tmp")));
  }
  // Issued file after file: each HEAD after every range of the file before
  // it has gone out, each file's ranges after its HEAD.
  std::vector<std::string> expected;
  for (const FileJob& job : jobs) {
    expected.push_back("HEAD " + job.url);
    for (int64_t r = 0; r < job.probed_size; r += kRange)
      expected.push_back("GET " + job.url +
                         " bytes=" + RangeValue(r, static_cast<double>(job.probed_size)));
  }
  // Within a file, ranges may start in another order on their connections.
  EXPECT_EQ(testing::WithinFilesSorted(server.started), testing::WithinFilesSorted(expected));
  EXPECT_TRUE(server.overlapped) << "the next file waited for the one before it";
  for (const auto& [url, length] : server.tmp_at_last_byte)
    EXPECT_EQ(length, 0) << "the file after " << url << " was written to before its turn";
}

// a.zip, two ranges, then b.db, one range, through scripted clients; the
// test sets the server's misbehaviour before Fetch.
struct TwoFiles {
  TwoFiles() {
    server.dir = dir.path();
    server.files[a] = Content(2 * kRange, 1);
    server.files[b] = Content(kRange, 2);
  }
  FetchResult Fetch() {
    const std::vector<FileJob> jobs = {{"a.zip", a, 2 * kRange, std::nullopt, {}},
                                       {"b.db", b, kRange, std::nullopt, {}}};
    Client probe(server), transfer(server);
    TDownloadState state;
    PauseGate gate;
    FileFetcher fetcher(probe, transfer, state, gate, dir.path(),
                        [&] { return std::make_unique<Client>(server); });
    return fetcher.FetchFiles(jobs);
  }
  const std::string a = "http://update/a.zip", b = "http://update/b.db";
  const std::string a_last = "GET " + a + " bytes=" + RangeValue(kRange, 2.0 * kRange);
  Server server;
  testing::TempDir dir;
};

// The next file's HEAD connects while the current file's last ranges are
// still to go, and waits. When the current file fails first, the held HEAD
// is dropped: it never goes out, and the next file leaves nothing behind.
TEST(FetchFiles, AHeldHeadIsDroppedWhenTheFileBeforeItFails) {
  TwoFiles t;
  t.server.refused = t.a_last;
  t.server.after_connect = "HEAD " + t.b;
  const FetchResult result = t.Fetch();
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.message, FailureMessage("a.zip", HttpFailureText(HttpFailureKind::kConnect)));
  EXPECT_EQ(t.server.connected, (std::vector<std::string>{"HEAD " + t.a, "HEAD " + t.b}))
      << "the next HEAD did not connect ahead";
  EXPECT_EQ(t.server.started,
            (std::vector<std::string>{"HEAD " + t.a, "GET " + t.a + " bytes=0-524288"}));
  EXPECT_EQ(fs::ReadWholeFile(t.dir / "a.zip.tmp"), t.server.files[t.a].substr(0, kRange));
  EXPECT_FALSE(fs::FileExists(t.dir / "b.db.tmp"));
}

// A HEAD held for its turn 10 s or more may find its connection closed by
// the server: it is asked once more on a new connection, and the run goes on.
// (Takes 11 s.)
TEST(FetchFiles, AHeadHeldLongIsAskedAgainWhenItsConnectionWasClosed) {
  TwoFiles t;
  t.server.slow[t.a_last] = std::chrono::milliseconds(11000);
  t.server.closed_once["HEAD " + t.b] = 0;
  const FetchResult result = t.Fetch();
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(t.server.closed_once["HEAD " + t.b], 2) << "tried once on each connection";
  EXPECT_EQ(std::count(t.server.started.begin(), t.server.started.end(), "HEAD " + t.b), 1);
  EXPECT_TRUE(fs::ReadWholeFile(t.dir / "a.zip") == t.server.files[t.a]);
  EXPECT_TRUE(fs::ReadWholeFile(t.dir / "b.db") == t.server.files[t.b]);
}

// A link planted at a ".tmp"'s name, leading to a file that even holds the
// first bytes of the download: the file is fetched from its first byte into
// a new ".tmp", what the link leads to stays byte for byte, and the run
// succeeds.
TEST(FetchFiles, ALinkAtATmpNameIsNotWrittenThrough) {
  struct Row {
    const char* what;
    bool (*make)(const std::string& target, const std::string& link);
  };
  const Row rows[] = {
      {"a symbolic link", testing::MakeFileLink},
      {"a hard link", testing::MakeHardLink},
  };
  for (const Row& row : rows) {
    TwoFiles t;
    const std::string victim = t.dir / "letter.doc";
    const std::string bytes = t.server.files[t.a].substr(0, 1000);
    ASSERT_TRUE(fs::WriteWholeFile(victim, bytes));
    if (!row.make(victim, t.dir / "a.zip.tmp")) {
      std::cout << "[  NOTE    ] this system can't make " << row.what << "\n";
      continue;
    }
    const FetchResult result = t.Fetch();
    ASSERT_TRUE(result.ok) << row.what << ": " << result.message;
    EXPECT_TRUE(fs::ReadWholeFile(victim) == bytes) << row.what;
    EXPECT_TRUE(fs::ReadWholeFile(t.dir / "a.zip") == t.server.files[t.a]) << row.what;
    EXPECT_FALSE(fs::IsLinkOrReparsePoint(t.dir / "a.zip")) << row.what;
    const std::string first = "GET " + t.a + " bytes=" + RangeValue(0, 2.0 * kRange);
    EXPECT_NE(std::find(t.server.started.begin(), t.server.started.end(), first),
              t.server.started.end())
        << row.what << ": not fetched from its first byte";
  }
}

}  // namespace
}  // namespace zentivo::download
