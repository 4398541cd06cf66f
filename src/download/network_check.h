// The reachability check and the remote size probe.
#pragma once

#include <cstdint>
#include <string>

namespace zentivo::download {

// The two probe URLs the build was configured with ("http://" + host).
std::string DefaultProbeUrl1();
std::string DefaultProbeUrl2();

// True when the machine is online: a forced connection to each probe URL,
// then the client library's and the system's connected state. Never raises.
bool CheckInternetConnection(const std::string& probe_url_1, const std::string& probe_url_2);

// The Content-Length of a HEAD reply with a fresh client; -1 when the reply
// has none, 0 on any failure. Never raises.
int32_t ProbeRemoteSize(const std::string& url);

}  // namespace zentivo::download
