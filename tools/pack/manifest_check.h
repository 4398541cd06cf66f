// check with a release key: the update server's release manifest, verified
// as the installer verifies it, and every file the edition's installer
// fetches held against it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "download/download_plan.h"
#include "download/http_client.h"
#include "download/release_manifest.h"
#include "pack/server_check.h"
#include "platform/crypto.h"

namespace zentivo::pack {

struct ServedManifest {
  std::optional<download::ReleaseManifest> manifest;
  std::string problem;  // why there is none
};
// GET server_root + kManifestPath, read with ReadManifest.
ServedManifest FetchManifest(const std::string& server_root, const crypto::P256PublicKey& key,
                             const download::HttpTimeouts& timeouts);

// The lines (without the file's name) for one checked file that the
// manifest doesn't vouch for: its path, its served length or its SHA-256
// not listed. A file the installer wouldn't fetch (not served, or served
// empty) is not looked at; the bytes are fetched for the hash unless the
// check already brought them.
std::vector<std::string> CheckListed(const download::ReleaseManifest& manifest,
                                     const download::PlannedFile& file, const FileCheck& check,
                                     const std::string& server_root,
                                     const download::HttpTimeouts& timeouts);

}  // namespace zentivo::pack
