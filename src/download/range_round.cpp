#include "download/range_round.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "download/fetch_file.h"
#include "download/reply_check.h"

namespace zentivo::download {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// One range request of the round and what it has brought.
struct Slot {
  int64_t first = 0;  // the first byte asked for
  int64_t size = 0;   // the bytes asked for
  std::string range;  // the Range value after "bytes="
  std::unique_ptr<char[]> bytes;
  int64_t got = 0;      // bytes received into `bytes`
  int64_t written = 0;  // of those, bytes already in the .tmp
  bool started = false;
  bool ended = false;
  bool abort = false;    // dropped by the round: its bytes are not wanted
  bool dropped = false;  // its connection died while the worker was paused
  HttpFailureKind kind = HttpFailureKind::kOther;
  std::string_view refusal;
  std::exception_ptr error;
  Clock::time_point sent;
  Clock::time_point first_byte;
};

}  // namespace

class RangeRound::Impl {
 public:
  explicit Impl(const RoundSetup& setup) : s_(setup) {
    const int64_t start = setup.tmp.Length();
    size_t count = 0;
    for (int64_t r = start; r < setup.remote; r += kRangeStep + 1) ++count;
    slots_ = std::vector<Slot>(count);
    int64_t r = start;
    for (Slot& slot : slots_) {
      slot.first = r;
      slot.size = std::min(kRangeStep + 1, setup.remote - r);
      slot.range = RangeValue(r, static_cast<double>(setup.remote));
      r += kRangeStep + 1;
    }
    window_bytes_ = setup.window.Bytes();
    issued_end_ = start;
  }

  ~Impl() { Stop(); }

  void Start() {
    if (!slots_.empty())
      Spawn();
  }

  RoundEnd Finish() {
    if (slots_.empty())
      return {};
    Spawn();
    const RoundEnd end = Coordinate();
    Stop();
    s_.received = Length();
    return end;
  }

 private:
  // Nothing after the .tmp's end is wanted any more; every connection ends.
  void Stop() {
    {
      std::lock_guard lock(m_);
      stop_ = true;
      for (size_t j = head_; j < slots_.size(); ++j) slots_[j].abort = true;
    }
    ticket_.notify_all();
    for (std::thread& t : threads_) {
      if (t.joinable())
        t.join();
    }
  }

  // Enough connections for the window, as far as there are free clients.
  void Spawn() {
    const size_t wanted =
        std::min(static_cast<size_t>(s_.window.Ranges(kRangeStep + 1)), slots_.size());
    while (threads_.size() < wanted) {
      TIdHTTP* client = s_.clients.Acquire();
      if (!client)
        break;
      threads_.emplace_back([this, client] {
        Connection(*client);
        s_.clients.Release(client);
      });
    }
  }

  // The worker's side: writes what the head range has brought, in order,
  // and decides how the round ends.
  RoundEnd Coordinate() {
    for (;;) {
      std::unique_lock lock(m_);
      due_.wait(lock, [this] { return Due(); });
      if (const long whole = whole_; whole >= 0) {
        lock.unlock();
        return WholeEnd(slots_[static_cast<size_t>(whole)]);
      }
      Slot& head = slots_[head_];
      if (head.got > head.written) {
        const char* from = head.bytes.get() + head.written;
        const auto length = static_cast<size_t>(head.got - head.written);
        lock.unlock();
        // A paused worker writes nothing.
        s_.gate.WaitWhilePaused();
        const auto status = Write(std::span<const char>(from, length));
        lock.lock();
        if (whole_ >= 0)
          continue;
        if (status != PartialFile::Status::kOk)
          return {RoundEnd::Kind::kFailed, PartialFileStatusText(status), nullptr};
        head.written += static_cast<int64_t>(length);
        continue;
      }
      // The head has ended and all it brought is in the .tmp.
      if (head.dropped)
        return {RoundEnd::Kind::kAskAgain, {}, nullptr};
      if (!head.refusal.empty())
        return {RoundEnd::Kind::kFailed, head.refusal, nullptr};
      if (head.error)
        return {RoundEnd::Kind::kFailed, {}, head.error};
      if (head.got == 0)
        return {RoundEnd::Kind::kFailed, kNoDataText, nullptr};
      if (head.got < head.size)
        return {RoundEnd::Kind::kAskAgain, {}, nullptr};
      if (head.size == kRangeStep + 1) {
        const double receiving = Seconds(Clock::now() - *first_arrival_);
        s_.window.OnRange(Seconds(head.first_byte - head.sent),
                          receiving > 0 ? static_cast<double>(arrived_) / receiving : 0, head.size);
      }
      head.bytes.reset();
      if (++head_ == slots_.size())
        return {};
      window_bytes_ = s_.window.Bytes();
      const bool tail = ReachedTail();
      lock.unlock();
      ticket_.notify_all();
      if (tail)
        ReportTail();
      Spawn();
    }
  }

  bool Due() const {
    if (whole_ >= 0)
      return slots_[static_cast<size_t>(whole_)].ended;
    const Slot& head = slots_[head_];
    return head.got > head.written || head.ended;
  }

  PartialFile::Status Write(std::span<const char> piece) {
    std::lock_guard tmp_lock(tmp_mutex_);
    {
      std::lock_guard lock(m_);
      if (whole_ >= 0)  // the .tmp now belongs to the whole-file reply
        return PartialFile::Status::kOk;
    }
    const auto status = s_.tmp.Append(piece);
    s_.received = s_.tmp.Length();
    return status;
  }

  RoundEnd WholeEnd(const Slot& slot) const {
    if (slot.dropped)
      return {RoundEnd::Kind::kAskAgain, {}, nullptr};
    if (!slot.refusal.empty())
      return {RoundEnd::Kind::kFailed, slot.refusal, nullptr};
    // A body that ran past the file's end: everything up to it is here.
    if (slot.error && !(slot.kind == HttpFailureKind::kAborted && Length() == s_.remote))
      return {RoundEnd::Kind::kFailed, {}, slot.error};
    if (Length() == 0)
      return {RoundEnd::Kind::kFailed, kNoDataText, nullptr};
    return {};
  }

  int64_t Length() const {
    std::lock_guard tmp_lock(tmp_mutex_);
    return s_.tmp.Length();
  }

  // One connection: takes the ranges in their order, one at a time.
  void Connection(TIdHTTP& client) {
    for (;;) {
      size_t i = 0;
      {
        std::unique_lock lock(m_);
        ticket_.wait(
            lock, [this] { return stop_ || whole_ >= 0 || next_ >= slots_.size() || MayIssue(); });
        if (stop_ || whole_ >= 0 || next_ >= slots_.size())
          return;
        i = next_++;
        outstanding_ += slots_[i].size;
        slots_[i].bytes =
            std::make_unique_for_overwrite<char[]>(static_cast<size_t>(slots_[i].size));
      }
      Fetch(client, i);
    }
  }

  // The next range may start: the one before it has started, the link
  // has room for more than is asked for already, and the ranges between
  // the .tmp's end and it fit in memory.
  bool MayIssue() const {
    return (next_ == 0 || slots_[next_ - 1].started) && outstanding_ < window_bytes_ &&
           next_ - head_ < static_cast<size_t>(kMaxInFlight);
  }

  // Under the lock: whether the ranges not gone out yet have just come to
  // fit in the window (true once a round).
  bool ReachedTail() {
    if (tail_reported_ || s_.remote - issued_end_ > window_bytes_)
      return false;
    tail_reported_ = true;
    return true;
  }

  void ReportTail() const {
    if (s_.on_tail_issued)
      s_.on_tail_issued();
  }

  // Range i went out, or ended without going out (`sent` false): the next
  // range may follow. Only a range that went out counts towards the file's
  // tail and end; a failure before that asks for no next file.
  void Started(size_t i, bool sent) {
    bool tail = false;
    {
      std::lock_guard lock(m_);
      slots_[i].started = true;
      slots_[i].sent = Clock::now();
      if (sent) {
        issued_end_ = std::max(issued_end_, slots_[i].first + slots_[i].size);
        tail = ReachedTail();
      }
    }
    ticket_.notify_all();
    if (tail)
      ReportTail();
    if (sent && i + 1 == slots_.size() && s_.on_all_issued)
      s_.on_all_issued();
  }

  void Fetch(TIdHTTP& client, size_t i) {
    Slot& slot = slots_[i];
    s_.gate.WaitWhilePaused();
    const uint64_t holds = s_.gate.Holds();
    client.SetRange("bytes=" + slot.range);
    // Only the rest of the version the partial file holds; a changed file
    // comes back whole, as a 200.
    client.SetIfRange(slot.first > 0 ? s_.tmp.IfRange() : std::string());
    // The next range goes out once this one's request is on the wire, so
    // the server receives them in their order.
    bool sent = false;
    client.SetOnRequestSent([this, i, &sent] {
      sent = true;
      Started(i, true);
    });
    std::exception_ptr error;
    HttpFailureKind kind = HttpFailureKind::kOther;
    try {
      client.Get(
          s_.url, [this, i](const HttpReply& reply) { return OnReply(i, reply); },
          [this, i](std::span<const char> piece) { return OnPiece(i, piece); });
    } catch (const EHttpFailure& e) {
      error = std::current_exception();
      kind = e.kind();
    } catch (...) {
      error = std::current_exception();
    }
    client.SetOnRequestSent(nullptr);
    if (!sent)  // it never went out: nothing waits for it
      Started(i, false);
    // The worker was paused inside this request and the connection did not
    // survive it: the range is asked again from what the .tmp holds.
    const bool dropped = (kind == HttpFailureKind::kBroken || kind == HttpFailureKind::kTimeout) &&
                         s_.gate.Holds() != holds;
    if (dropped)
      client.Disconnect();
    {
      std::lock_guard lock(m_);
      slot.ended = true;
      outstanding_ -= slot.size - slot.got;  // what will not come now
      slot.error = error;
      slot.kind = kind;
      slot.dropped = dropped && !slot.abort;
      if (static_cast<long>(i) != whole_) {
        const bool complete = slot.got == slot.size;
        // A body that ran past its range: all of the range is here.
        if (error && kind == HttpFailureKind::kAborted && slot.refusal.empty() && complete)
          slot.error = nullptr;
        if (!slot.abort && (slot.error || !slot.refusal.empty() || !complete)) {
          // Nothing after a failed range is wanted, nor issued.
          stop_ = true;
          for (size_t j = i + 1; j < slots_.size(); ++j) slots_[j].abort = true;
        }
      }
    }
    ticket_.notify_all();
    due_.notify_all();
  }

  bool OnReply(size_t i, const HttpReply& reply) {
    Slot& slot = slots_[i];
    {
      std::lock_guard lock(m_);
      if (slot.abort || whole_ >= 0)
        return false;
      slot.first_byte = Clock::now();
      if (!first_arrival_)
        first_arrival_ = slot.first_byte;
    }
    switch (CheckRangeReply(reply, slot.first, s_.remote)) {
      case ReplyUse::kAppend:
        return true;
      case ReplyUse::kRestart:
        return TakeWholeFile(i);
      case ReplyUse::kRefuse:
        break;
    }
    std::lock_guard lock(m_);
    slot.refusal = kNotTheFileText;
    return false;
  }

  // The server sent the whole file: this reply alone fills a .tmp started
  // over; every other range of the round is dropped.
  bool TakeWholeFile(size_t i) {
    std::lock_guard tmp_lock(tmp_mutex_);
    {
      std::lock_guard lock(m_);
      if (slots_[i].abort || whole_ >= 0)
        return false;
      whole_ = static_cast<long>(i);
      stop_ = true;
      for (size_t j = 0; j < slots_.size(); ++j) slots_[j].abort = j != i;
    }
    ticket_.notify_all();
    due_.notify_all();
    if (const auto status = s_.tmp.Restart(); status != PartialFile::Status::kOk) {
      std::lock_guard lock(m_);
      slots_[i].refusal = PartialFileStatusText(status);
      return false;
    }
    s_.received = 0;
    return true;
  }

  bool OnPiece(size_t i, std::span<const char> piece) {
    s_.gate.WaitWhilePaused();
    Slot& slot = slots_[i];
    if (static_cast<long>(i) == whole_)
      return OnWholePiece(slot, piece);
    std::lock_guard lock(m_);
    if (slot.abort)
      return false;
    // Never a byte beyond the range.
    const auto room = static_cast<size_t>(slot.size - slot.got);
    const size_t take = std::min(piece.size(), room);
    std::copy_n(piece.data(), take, slot.bytes.get() + slot.got);
    slot.got += static_cast<int64_t>(take);
    arrived_ += static_cast<int64_t>(take);
    outstanding_ -= static_cast<int64_t>(take);
    if (i == head_)
      due_.notify_all();
    if (MayIssue())
      ticket_.notify_one();
    return piece.size() <= room;
  }

  bool OnWholePiece(Slot& slot, std::span<const char> piece) {
    std::lock_guard tmp_lock(tmp_mutex_);
    // Never a byte beyond the file's length.
    const auto room = static_cast<size_t>(s_.remote - s_.tmp.Length());
    const auto status = s_.tmp.Append(piece.first(std::min(piece.size(), room)));
    if (status != PartialFile::Status::kOk) {
      std::lock_guard lock(m_);
      slot.refusal = PartialFileStatusText(status);
      return false;
    }
    s_.received = s_.tmp.Length();
    return piece.size() <= room;
  }

  const RoundSetup& s_;
  std::vector<Slot> slots_;
  std::vector<std::thread> threads_;

  mutable std::mutex tmp_mutex_;    // the .tmp; taken before m_, never after
  std::mutex m_;                    // everything below and the slots
  std::condition_variable ticket_;  // the connections wait for a range
  std::condition_variable due_;     // the worker waits for bytes or an end
  size_t next_ = 0;                 // the next range to issue
  size_t head_ = 0;                 // the range at the .tmp's end
  int64_t window_bytes_ = 1;        // the window's Bytes() for this round
  int64_t issued_end_ = 0;          // the end of the ranges gone out
  bool tail_reported_ = false;      // on_tail_issued has run
  int64_t outstanding_ = 0;         // asked for and not received yet
  // What the round's ranges have brought, since the first of their replies.
  int64_t arrived_ = 0;
  std::optional<Clock::time_point> first_arrival_;
  bool stop_ = false;
  std::atomic<long> whole_ = -1;  // the range whose reply is the whole file
};

RangeRound::RangeRound(const RoundSetup& setup) : impl_(std::make_unique<Impl>(setup)) {}
RangeRound::~RangeRound() = default;
void RangeRound::Start() {
  impl_->Start();
}
RoundEnd RangeRound::Finish() {
  return impl_->Finish();
}

RoundEnd RunRangeRound(const RoundSetup& setup) {
  RangeRound round(setup);
  round.Start();
  return round.Finish();
}

}  // namespace zentivo::download
