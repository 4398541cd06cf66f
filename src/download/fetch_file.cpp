#include "download/fetch_file.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <list>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "download/network_check.h"
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

std::string_view PartialFileStatusText(PartialFile::Status status) {
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

std::string FailureMessage(std::string_view name, std::string_view text) {
  return "[" + std::string(name) + "]" + std::string(text);
}

namespace {

// Files made ready beyond the current one: each holds its first ranges'
// bytes in memory until its turn.
constexpr size_t kFilesAhead = 2;

// A HEAD whose connection waited this long for its turn may find it closed
// by the server (nginx allows a new connection 60 s for its request, some
// servers 20 s): if it then gets no reply, it is asked once more on a new
// connection.
constexpr auto kHeldConnectionMayBeStale = std::chrono::seconds(10);

// Thrown by a HEAD waiting for its turn when the run ends first: the request
// is dropped before it goes out.
struct RunEndedFirst {};

// A client's failure in the failure box's words: an error reply's status
// line, a failed transfer's text, else the program's own.
FetchResult FailureOf(std::string_view name, std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const EIdHTTPProtocolException& e) {
    if (e.status() == kProxyAuthenticationRequired)
      return {false, FailureMessage(name, kProxyAuthText)};
    return {false, FailureMessage(name, e.what())};
  } catch (const EHttpFailure& e) {
    return {false, FailureMessage(name, e.what())};
  } catch (...) {
  }
  return {false, FailureMessage(name, kUnexpectedText)};
}

// The failure a round ended with.
FetchResult RoundFailure(std::string_view name, const RoundEnd& end) {
  if (!end.refusal.empty())
    return {false, FailureMessage(name, end.refusal)};
  return FailureOf(name, end.error);
}

// Finished files renamed to their final names in the background, while the
// next file arrives: the flush to the disk before each rename takes a while.
class Promotions {
 public:
  ~Promotions() { (void)Wait(); }

  void Add(std::string_view name, PartialFile& tmp, std::string final_path) {
    auto& p = pending_.emplace_back();
    p.name = name;
    p.thread = std::thread([&p, &tmp, final_path = std::move(final_path)] {
      p.ok = tmp.Promote(final_path);
      p.ended = true;
    });
  }

  // A rename that has already failed: the run goes no further than there.
  bool AnyFailed() const {
    for (const Pending& p : pending_) {
      if (p.ended && !p.ok)
        return true;
    }
    return false;
  }

  // Every rename done; the first that failed, in the order of the files.
  FetchResult Wait() {
    FetchResult result;
    for (Pending& p : pending_) {
      if (p.thread.joinable())
        p.thread.join();
      if (!p.ok && result.ok)
        result = {false, FailureMessage(p.name, kPromoteText)};
    }
    return result;
  }

 private:
  struct Pending {
    std::string_view name;
    std::thread thread;
    bool ok = false;                  // written before `ended`
    std::atomic<bool> ended = false;  // the thread has nothing more to do
  };
  std::list<Pending> pending_;  // stable addresses for the threads
};

}  // namespace

// A file made ready for its turn: its HEAD answered, its .tmp opened, its
// first ranges under way.
struct FileFetcher::Ahead {
  FetchResult result;            // a failure before any range
  bool skip = false;             // nothing to fetch: finished already, or empty on the server
  std::optional<double> remote;  // the HEAD's length, once it answered
  std::string final_path;
  PartialFile tmp;
  std::atomic<int64_t> received = 0;
  std::unique_ptr<RoundSetup> setup;
  std::unique_ptr<RangeRound> round;  // goes before what it refers to
};

// One FetchFiles: the worker's thread takes the files in turn while a
// thread of its own makes the next ones ready.
class FileFetcher::Run {
 public:
  Run(FileFetcher& fetcher, std::span<const FileJob> jobs)
      : f_(fetcher), jobs_(jobs), ahead_(jobs.size()) {
    thread_ = std::thread([this] { MakeReady(); });
  }

  ~Run() {
    {
      std::lock_guard lock(m_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
    // Files made ready whose turn never came: their requests stop, and a
    // .tmp made for them and never written goes again.
    for (size_t j = current_ + 1; j < ahead_.size(); ++j) {
      if (!ahead_[j])
        continue;
      ahead_[j]->round.reset();
      ahead_[j]->tmp.DiscardIfUnused();
    }
    // What the last file held stays readable once its counter has gone.
    std::lock_guard current(f_.current_mutex_);
    f_.none_ = f_.received_->load();
    f_.received_ = &f_.none_;
  }

  FetchResult Fetch(const std::function<void(size_t)>& before) {
    for (size_t i = 0; i < jobs_.size(); ++i) {
      if (promotions_.AnyFailed())
        return Done({});
      if (before)
        before(i);
      Ahead& a = Turn(i);
      if (a.remote)
        f_.state_.CurrentRemoteSize = *a.remote;
      f_.MakeCurrent(jobs_[i].code, a.skip ? nullptr : &a.received);
      if (!a.result.ok)
        return Done(a.result);
      if (a.skip)
        continue;
      if (const FetchResult r = Transfer(jobs_[i].name, a); !r.ok)
        return Done(r);
      if (const FetchResult r = Check(i, a); !r.ok)
        return Done(r);
      promotions_.Add(jobs_[i].name, a.tmp, a.final_path);
    }
    return Done({});
  }

 private:
  // The worker's turn at file i: asks for it and waits until it is ready.
  Ahead& Turn(size_t i) {
    std::unique_lock lock(m_);
    current_ = i;
    wanted_ = std::max(wanted_, i);
    near_ = std::max(near_, i);
    wake_.notify_all();
    ready_.wait(lock, [&] { return ahead_[i] != nullptr; });
    return *ahead_[i];
  }

  // File i may be made ready: the one before it has sent all it will send.
  void Ask(size_t i) {
    {
      std::lock_guard lock(m_);
      wanted_ = std::max(wanted_, i);
      near_ = std::max(near_, i);
    }
    wake_.notify_all();
  }

  // File i may get its HEAD's connection ready: the one before it sends its
  // last range in about a round trip.
  void Near(size_t i) {
    {
      std::lock_guard lock(m_);
      near_ = std::max(near_, i);
    }
    wake_.notify_all();
  }

  // The HEAD of file i, connected, waits here until file i-1 has sent its
  // last range, and while paused.
  void WaitToSend(size_t i) {
    {
      std::unique_lock lock(m_);
      wake_.wait(lock, [&] { return stop_ || wanted_ >= i; });
      if (stop_)
        throw RunEndedFirst{};
    }
    f_.gate_.WaitWhilePaused();
  }

  FetchResult Done(const FetchResult& result) {
    const FetchResult placed = promotions_.Wait();
    return placed.ok ? result : placed;
  }

  // A finished .tmp that is not the file the maker signed never gets the
  // final name, and goes, so that the next run fetches it afresh.
  FetchResult Check(size_t i, Ahead& a) {
    if (!f_.manifest_)
      return {};
    const FileJob& job = jobs_[i];
    if (!f_.manifest_->Accepts(job.path, a.tmp.Length(), a.tmp.Digest())) {
      a.tmp.Discard();
      return {false, FailureMessage(job.name, kFileCheckFailedText)};
    }
    Verified(i);
    return {};
  }

  void Verified(size_t i) const {
    if (f_.verified_)
      f_.verified_(i);
  }

  FetchResult Transfer(std::string_view name, Ahead& a) {
    RoundEnd end = a.round ? a.round->Finish() : RoundEnd{};
    a.round.reset();
    for (;;) {
      if (end.kind == RoundEnd::Kind::kFailed)
        return RoundFailure(name, end);
      if (a.tmp.Length() >= a.setup->remote)
        return {};
      f_.gate_.WaitWhilePaused();
      end = RunRangeRound(*a.setup);
    }
  }

  // The thread that makes files ready, in order, as far as they are asked
  // for and no further than kFilesAhead beyond the current one.
  void MakeReady() {
    std::unique_lock lock(m_);
    size_t next = 0;
    for (;;) {
      wake_.wait(lock, [&] {
        return stop_ || (next < jobs_.size() && next <= near_ && next <= current_ + kFilesAhead);
      });
      if (stop_)
        return;
      lock.unlock();
      auto a = MakeReady(next);
      lock.lock();
      // Nothing to send for it: the file after it may follow at once.
      if (a->result.ok && !a->round) {
        wanted_ = std::max(wanted_, next + 1);
        near_ = std::max(near_, next + 1);
      }
      // After a failure the run ends there.
      const bool failed = !a->result.ok;
      ahead_[next++] = std::move(a);
      ready_.notify_all();
      if (failed)
        return;
    }
  }

  std::unique_ptr<Ahead> MakeReady(size_t i) {
    const FileJob& job = jobs_[i];
    auto a = std::make_unique<Ahead>();
    a->final_path = f_.work_dir_ + "\\" + std::string(job.name);
    if (fs::FileExists(a->final_path)) {
      // A finished download stays only while it is as long as the server's
      // file; anything else (a file replaced on the server, a damaged copy
      // that was cut or grown) is fetched again.
      const auto size = fs::FileSize(a->final_path);
      if (job.probed_size <= 0 || (size && *size == job.probed_size)) {
        // With a manifest, only a file that hashes as listed is kept; any
        // other is fetched again.
        if (!f_.manifest_) {
          a->skip = true;
          return a;
        }
        if (f_.FinishedFileIsListed(job, a->final_path)) {
          Verified(i);
          a->skip = true;
          return a;
        }
      }
    }
    f_.gate_.WaitWhilePaused();
    try {
      Prepare(i, *a);
    } catch (...) {
      a->result = FailureOf(job.name, std::current_exception());
    }
    return a;
  }

  // File i's HEAD on a fresh connection, made at once and held until its
  // turn to send.
  HttpReply Head(size_t i) {
    TIdHTTP& probe = f_.probe_;
    std::optional<std::chrono::steady_clock::duration> held;
    probe.SetOnBeforeSend([&] {
      const auto from = std::chrono::steady_clock::now();
      WaitToSend(i);
      held = std::chrono::steady_clock::now() - from;
    });
    const auto once = [&] {
      try {
        const HttpReply reply = probe.Head(jobs_[i].url);
        probe.Disconnect();
        return reply;
      } catch (...) {
        probe.Disconnect();
        throw;
      }
    };
    try {
      HttpReply reply = once();
      probe.SetOnBeforeSend(nullptr);
      return reply;
    } catch (const EHttpFailure&) {
      probe.SetOnBeforeSend(nullptr);
      if (!held || *held < kHeldConnectionMayBeStale)
        throw;
      return once();
    } catch (...) {
      probe.SetOnBeforeSend(nullptr);
      throw;
    }
  }

  // The HEAD, the .tmp for the version it names, and the first ranges.
  void Prepare(size_t i, Ahead& a) {
    TIdHTTP& probe = f_.probe_;
    const HttpReply head = Head(i);
    a.remote = static_cast<double>(head.content_length);
    // Without a length nothing tells a whole file from a part of one.
    if (head.content_length < 0) {
      a.result = {false, FailureMessage(jobs_[i].name, kNoLengthText)};
      return;
    }
    // An empty file on the server is no file to install.
    if (head.content_length == 0) {
      a.skip = true;
      return;
    }
    // A length the maker never signed is no file of the release: not a byte
    // of it is asked for.
    if (f_.manifest_ && !f_.manifest_->ListsSize(jobs_[i].path, head.content_length)) {
      a.result = {false, FailureMessage(jobs_[i].name, kFileCheckFailedText)};
      return;
    }
    const FileVersion version = FileVersion::Of(head);
    if (const auto status =
            a.tmp.Open(a.final_path + std::string(kTmpSuffix), version, f_.manifest_ != nullptr);
        status != PartialFile::Status::kOk) {
      a.result = {false, FailureMessage(jobs_[i].name, PartialFileStatusText(status))};
      return;
    }
    a.received = a.tmp.Length();
    a.setup = std::make_unique<RoundSetup>(
        RoundSetup{probe.LastUrl(), version.length, a.tmp, f_.gate_, f_.window_, a.received,
                   f_.clients_, [this, i] { Ask(i + 1); }, [this, i] { Near(i + 1); }});
    if (a.tmp.Length() < version.length) {
      a.round = std::make_unique<RangeRound>(*a.setup);
      a.round->Start();
    }
  }

  FileFetcher& f_;
  std::span<const FileJob> jobs_;
  std::mutex m_;
  std::condition_variable wake_;   // the thread that makes files ready waits
  std::condition_variable ready_;  // the worker waits for its file
  size_t current_ = 0;             // the file whose turn it is
  size_t wanted_ = 0;              // the last file asked for: it may send
  size_t near_ = 0;                // the last file that may connect, >= wanted_
  bool stop_ = false;
  // Destroyed in reverse: the renames end before the files they rename go,
  // and the files' rounds (whose connections call Ask) before the lock.
  std::vector<std::unique_ptr<Ahead>> ahead_;
  Promotions promotions_;
  std::thread thread_;
};

FileFetcher::FileFetcher(TIdHTTP& probe, TIdHTTP& transfer, TDownloadState& state, PauseGate& gate,
                         std::string work_dir, ClientFactory more)
    : probe_(probe),
      state_(state),
      gate_(gate),
      work_dir_(std::move(work_dir)),
      clients_(transfer, std::move(more)) {}

FileFetcher::~FileFetcher() = default;

void FileFetcher::CheckAgainst(const ReleaseManifest* manifest,
                               std::function<void(size_t)> verified) {
  manifest_ = manifest;
  verified_ = std::move(verified);
}

bool FileFetcher::FinishedFileIsListed(const FileJob& job, const std::string& path) const {
  const auto size = fs::FileSize(path);
  if (!size || !manifest_->ListsSize(job.path, *size))
    return false;
  crypto::Sha256 hash;
  return HashFile(path, hash) && manifest_->Accepts(job.path, *size, hash.Finish());
}

void FileFetcher::WithReceivedBytes(const std::function<void(int64_t)>& report) const {
  std::lock_guard lock(current_mutex_);
  report(received_->load());
}

void FileFetcher::MakeCurrent(std::optional<int32_t> code, const std::atomic<int64_t>* received) {
  std::lock_guard lock(current_mutex_);
  if (code)
    state_.CurrentFile = *code;
  if (!received) {
    none_ = 0;
    received = &none_;
  }
  received_ = received;
}

FetchResult FileFetcher::FetchFiles(std::span<const FileJob> jobs,
                                    const std::function<void(size_t)>& before) {
  Run run(*this, jobs);
  return run.Fetch(before);
}

FetchResult FileFetcher::FetchFile(std::string_view name, const std::string& url,
                                   int64_t probed_size) {
  const FileJob job{name, url, probed_size, std::nullopt, {}};
  return FetchFiles(std::span<const FileJob>(&job, 1));
}

}  // namespace zentivo::download
