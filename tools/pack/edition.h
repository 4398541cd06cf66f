// The edition that plan and check look at, given as values (--values FILE,
// --set NAME=VALUE) or as a packed installer, and read the way the installer
// reads its own block: through appinfo.xml and the installer's reader.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/app_info.h"
#include "pack/pack_values.h"

namespace zentivo::pack {

struct EditionSource {
  Values values;
  bool has_values = false;
  std::string installer;  // a packed installer's path, when given instead
};

// Takes args[i] (and the value after it) when it names the edition; advances
// `i` past what it took. False when args[i] is not an edition argument.
// `error` is set for a malformed one.
bool TakeEditionArgument(const std::vector<std::string>& args, size_t& i, EditionSource& source,
                         std::optional<std::string>& error);

// The arguments plan and check share: [--server ROOT] and the edition.
// `server` gets ServerRoot (empty without --server). An exit code when the
// arguments are wrong (usage or a message already printed).
struct EditionCommand {
  EditionSource source;
  std::string server;
};
std::optional<int> ParseEditionCommand(const std::vector<std::string>& args, EditionCommand& out);

// The edition's TAppInfo, or an error text (no edition named, both kinds
// named, unreadable values, an installer without a readable block).
struct LoadedEdition {
  std::optional<config::TAppInfo> info;
  std::string error;
};
LoadedEdition LoadEdition(const EditionSource& source);

// The TAppInfo of a packed installer, read as the installer reads it; nullopt
// and `error` set when it has no readable block.
std::optional<config::TAppInfo> ReadInstallerAppInfo(const std::string& exe, std::string& error);

}  // namespace zentivo::pack
