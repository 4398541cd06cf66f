// Fetching the release manifest from the update server: one GET of
// ServerRoot + kManifestPath on a client of its own, read whole (up to
// kMaxManifestBytes) and checked against the release key.
#pragma once

#include <string>

#include "download/http_client.h"
#include "download/release_manifest.h"

namespace zentivo::download {

struct [[nodiscard]] ManifestFetch {
  ManifestRead read;
  std::string failure;  // why no manifest came: the request's failure, empty otherwise
};

ManifestFetch FetchReleaseManifest(TIdHTTP& client, const std::string& server_root,
                                   const crypto::P256PublicKey& key);

}  // namespace zentivo::download
