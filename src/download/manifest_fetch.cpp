#include "download/manifest_fetch.h"

namespace zentivo::download {

ManifestFetch FetchReleaseManifest(TIdHTTP& client, const std::string& server_root,
                                   const crypto::P256PublicKey& key) {
  std::string bytes;
  bool too_long = false;
  try {
    client.SetRange({});
    client.SetIfRange({});
    (void)client.Get(server_root + std::string(kManifestPath), [&](std::span<const char> piece) {
      if (bytes.size() + piece.size() > kMaxManifestBytes) {
        too_long = true;
        return false;
      }
      bytes.append(piece.data(), piece.size());
      return true;
    });
    client.Disconnect();
  } catch (const std::exception& e) {
    client.Disconnect();
    if (!too_long)
      return {{std::nullopt, ManifestProblem::kUnreadable}, e.what()};
  }
  if (too_long)
    return {{std::nullopt, ManifestProblem::kUnreadable}, "longer than any manifest"};
  return {ReadManifest(bytes, key), {}};
}

}  // namespace zentivo::download
