// The worker's size probes, in flight together and still sent in their
// order.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "download/http_client.h"

namespace zentivo::download {

// Makes a fresh client with default settings; called from the probes'
// threads, several at once.
using HttpClientFactory = std::function<std::unique_ptr<TIdHTTP>()>;

// ProbeRemoteSize of every URL, each on a thread of its own with a fresh
// client, so that their round trips overlap. Probe k sends its HEAD only once
// probe k-1's HEAD has been sent, or probe k-1 has ended without sending one
// (no connection), so the server receives them in the order of `urls`.
// Returns the sizes in that order (0 for a failed probe, -1 for a reply
// without Content-Length) when every probe has ended. Never raises.
std::vector<int32_t> ProbeRemoteSizes(const std::vector<std::string>& urls,
                                      const HttpTimeouts& timeouts);
std::vector<int32_t> ProbeRemoteSizes(const std::vector<std::string>& urls,
                                      const HttpTimeouts& timeouts,
                                      const HttpClientFactory& make_client);

// A request that follows the probes: it runs with a fresh client of its own
// and sends once every probe has sent (or ended), so its round trip overlaps
// theirs and the server still receives it after them. Without a client it
// is called with none. It must not raise.
using AfterProbes = std::function<void(TIdHTTP* client)>;
struct ProbeResults {
  std::vector<int32_t> sizes;
  // Per probe: its 0 comes from a proxy that wanted credentials.
  std::vector<bool> proxy_refused;
};
ProbeResults ProbeRemoteSizes(const std::vector<std::string>& urls, const HttpTimeouts& timeouts,
                              const HttpClientFactory& make_client, const AfterProbes& then);

}  // namespace zentivo::download
