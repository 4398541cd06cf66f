#include "pack/manifest_check.h"

#include "download/hex_base64.h"

namespace zentivo::pack {
namespace {

std::unique_ptr<download::TIdHTTP> Client(const download::HttpTimeouts& timeouts) {
  auto client = download::CreateHttpClient();
  client->SetTimeouts(timeouts.connect_seconds, timeouts.stall_seconds);
  client->SetHandleRedirects(true);
  return client;
}

// A plain GET whose body goes to `sink`; an error text when it fails.
std::string Get(const std::string& url, const download::HttpTimeouts& timeouts,
                const download::TIdHTTP::BodySink& sink) {
  try {
    Client(timeouts)->Get(
        url, [](const download::HttpReply&) { return true; }, sink);
  } catch (const download::EIdHTTPProtocolException& e) {
    return "answers \"" + std::string(e.what()) + "\"";
  } catch (const download::EHttpFailure& e) {
    return "failed: " + std::string(e.what()) + " (" + e.detail() + ")";
  }
  return "";
}

std::string ListedSizes(const download::ReleaseManifest& manifest, const std::string& path) {
  std::string sizes;
  for (const auto& e : manifest.entries) {
    if (e.path == path)
      sizes += (sizes.empty() ? "" : ", ") + std::to_string(e.size);
  }
  return sizes;
}

}  // namespace

ServedManifest FetchManifest(const std::string& server_root, const crypto::P256PublicKey& key,
                             const download::HttpTimeouts& timeouts) {
  std::string body;
  bool too_large = false;
  const std::string error = Get(server_root + std::string(download::kManifestPath), timeouts,
                                [&](std::span<const char> piece) {
                                  body.append(piece.data(), piece.size());
                                  too_large = body.size() > download::kMaxManifestBytes;
                                  return !too_large;
                                });
  if (too_large)
    return {std::nullopt, "the server sends more than " +
                              std::to_string(download::kMaxManifestBytes) +
                              " bytes for it: no manifest"};
  if (!error.empty())
    return {std::nullopt, "GET " + std::string(download::kManifestPath) + " " + error};
  auto read = download::ReadManifest(body, key);
  if (!read.manifest)
    return {std::nullopt, std::string(download::ManifestProblemText(read.problem))};
  return {std::move(read.manifest), ""};
}

std::vector<std::string> CheckListed(const download::ReleaseManifest& manifest,
                                     const download::PlannedFile& file, const FileCheck& check,
                                     const std::string& server_root,
                                     const download::HttpTimeouts& timeouts) {
  const int64_t length = check.served_length;
  if (file.need == download::PlanNeed::kLeftOut || length <= 0)
    return {};
  const std::string path = download::NormalServerPath(file.path);
  if (!manifest.Lists(path))
    return {"not listed in the manifest"};
  if (!manifest.ListsSize(path, length))
    return {"length " + std::to_string(length) + " is not a listed size (the manifest lists " +
            ListedSizes(manifest, path) + ")"};
  auto sha256 = check.sha256;
  if (!sha256) {
    crypto::Sha256 hash;
    int64_t got = 0;
    const std::string error = Get(server_root + file.path, timeouts, [&](std::span<const char> p) {
      hash.Update(p);
      got += static_cast<int64_t>(p.size());
      return true;
    });
    if (!error.empty())
      return {"GET for its SHA-256 " + error};
    if (got != length)
      return {"GET for its SHA-256 brought " + std::to_string(got) + " bytes, HEAD announced " +
              std::to_string(length)};
    sha256 = hash.Finish();
  }
  if (!manifest.Accepts(path, length, *sha256))
    return {"SHA-256 " + download::HexEncode(*sha256) + " is not listed for length " +
            std::to_string(length)};
  return {};
}

}  // namespace zentivo::pack
