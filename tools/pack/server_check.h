// One file of an edition's plan asked of the update server the way the
// installer asks for it: HEAD without following redirects, then ranged GETs
// that follow them, and for an archive the whole file, tested with the
// installer's ZIP reader.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "download/download_plan.h"
#include "download/http_client.h"
#include "platform/crypto.h"

namespace zentivo::pack {

struct FileCheck {
  std::string name;
  download::PlanNeed need = download::PlanNeed::kAlways;
  // What the table shows; "-" where nothing was asked.
  std::string head = "-";        // the HEAD reply's status, or "failed"
  std::string length = "-";      // its Content-Length, "none" without one
  std::string range = "-";       // "206 ok", "200", "206 bad", "failed"
  std::string validators = "-";  // "ETag+LM", "ETag", "LM" or "none"
  std::string encoding = "-";    // "none" or the Content-Encoding
  std::string archive = "-";     // "N files ok" or what is wrong
  std::string redirect = "-";    // "no" or where the server sends the request
  // One line each, without the file's name.
  std::vector<std::string> problems;
  // What the manifest check goes on from: the HEAD's Content-Length (-1
  // without one) and, when the whole file was downloaded here (an archive),
  // its SHA-256.
  int64_t served_length = -1;
  std::optional<crypto::Sha256Digest> sha256;
};

FileCheck CheckFile(const download::PlannedFile& file, const std::string& server_root,
                    const download::HttpTimeouts& timeouts);

}  // namespace zentivo::pack
