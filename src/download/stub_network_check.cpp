// Stand-in until the network check exists.
#include "build_config.h"
#include "download/network_check.h"

namespace zentivo::download {

std::string DefaultProbeUrl1() { return std::string("http://") + build::kProbeHost1; }
std::string DefaultProbeUrl2() { return std::string("http://") + build::kProbeHost2; }
bool CheckInternetConnection(const std::string&, const std::string&) { return false; }
int32_t ProbeRemoteSize(const std::string&) { return 0; }

}  // namespace zentivo::download
