#include "download/size_probes.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <system_error>
#include <thread>

#include "download/network_check.h"

namespace zentivo::download {
namespace {

// Whose turn it is to send: probe k may send once every probe before it has
// sent or ended.
class SendTurns {
 public:
  void WaitForTurn(size_t k) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return next_ >= k; });
  }

  // Probe k has sent, or ended; the second call for k changes nothing.
  void Pass(size_t k) {
    {
      std::lock_guard lock(mutex_);
      if (next_ != k)
        return;
      next_ = k + 1;
    }
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t next_ = 0;
};

}  // namespace

std::vector<int32_t> ProbeRemoteSizes(const std::vector<std::string>& urls,
                                      const HttpTimeouts& timeouts) {
  return ProbeRemoteSizes(urls, timeouts, &CreateHttpClient);
}

std::vector<int32_t> ProbeRemoteSizes(const std::vector<std::string>& urls,
                                      const HttpTimeouts& timeouts,
                                      const HttpClientFactory& make_client) {
  return ProbeRemoteSizes(urls, timeouts, make_client, nullptr).sizes;
}

ProbeResults ProbeRemoteSizes(const std::vector<std::string>& urls, const HttpTimeouts& timeouts,
                              const HttpClientFactory& make_client, const AfterProbes& then) {
  std::vector<int32_t> sizes(urls.size(), 0);
  // Not vector<bool>: each probe writes its own element from its own thread.
  std::vector<char> refused(urls.size(), 0);
  SendTurns turns;
  // Each probe writes only its own element of `sizes`; the joins below make
  // the writes visible here.
  const auto probe = [&](size_t k) noexcept {
    // Made before the turn comes: nothing goes out before Head.
    std::unique_ptr<TIdHTTP> client;
    try {
      client = make_client();
    } catch (...) {
    }
    turns.WaitForTurn(k);
    if (client)
      client->SetOnRequestSent([&turns, k] { turns.Pass(k); });
    if (k == urls.size()) {
      then(client.get());
    } else if (client) {
      // Without a client the probe failed: its size stays 0.
      bool proxy_refused = false;
      sizes[k] = ProbeRemoteSize(*client, urls[k], timeouts, &proxy_refused);
      refused[k] = proxy_refused;
    }
    // One that never sent must not hold up the rest.
    turns.Pass(k);
  };

  const size_t jobs = urls.size() + (then ? 1 : 0);
  std::vector<std::jthread> threads;
  threads.reserve(jobs);
  for (size_t k = 0; k < jobs; ++k) {
    try {
      threads.emplace_back(probe, k);
    } catch (const std::system_error&) {
      probe(k);  // no thread to be had: this one runs here, in its turn
    }
  }
  threads.clear();  // joins every probe
  return {std::move(sizes), std::vector<bool>(refused.begin(), refused.end())};
}

}  // namespace zentivo::download
