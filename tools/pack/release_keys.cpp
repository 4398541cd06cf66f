#include "pack/release_keys.h"

#include <string_view>

#include "build_config.h"
#include "download/release_key.h"
#include "platform/fs.h"

namespace zentivo::pack {

LoadedKeyPair LoadKeyPair(const std::string& path) {
  const auto text = fs::ReadWholeFile(path);
  if (!text)
    return {std::nullopt, "cannot read key file " + path};
  auto key = download::ReadKeyFile(*text);
  if (!key)
    return {std::nullopt, path + ": not a release key file (zentivo-pack keygen writes them)"};
  return {key, ""};
}

LoadedPublicKey PublicKeyFromArgument(const std::optional<std::string>& argument) {
  if (!argument) {
    // A tool built for a release checks that release's key unless told
    // otherwise; a build without the setting checks no manifest.
    const std::string_view built = build::kReleaseKey;
    if (built.empty())
      return {std::nullopt, ""};
    auto key = download::DecodeReleaseKey(built);
    if (!key)
      return {std::nullopt, "the build's ZENTIVO_RELEASE_KEY is not a release key"};
    return {key, ""};
  }
  if (auto key = download::DecodeReleaseKey(*argument))
    return {key, ""};
  if (!fs::FileExists(*argument))
    return {std::nullopt, "--public-key \"" + *argument +
                              "\" is neither a release key (88 base64 characters) nor a file"};
  const auto text = fs::ReadWholeFile(*argument);
  if (!text)
    return {std::nullopt, "cannot read " + *argument};
  auto key = download::DecodeReleaseKey(*text);
  if (!key)
    return {std::nullopt, *argument + ": does not hold a release key (88 base64 characters)"};
  return {key, ""};
}

}  // namespace zentivo::pack
