#include "pack/edition.h"

#include "config/config_block.h"
#include "config/file_name.h"
#include "config/read_app_info.h"
#include "config/xml_document.h"
#include "pack/cli.h"
#include "pack/plan_view.h"
#include "pack/scratch_dir.h"
#include "platform/com.h"
#include "platform/fs.h"

namespace zentivo::pack {
namespace {

// appinfo.xml in `dir`, read with the installer's reader; the file names
// are checked by the caller, which says what is wrong with them.
std::optional<config::TAppInfo> ReadAppInfoIn(const ScratchDir& dir) {
  platform::ComApartment com;
  auto doc = config::CreateXmlDocument();
  if (!doc->LoadFile(dir.File(std::string(config::kAppInfoFileName))))
    return std::nullopt;
  return config::ReadAppInfoValues(*doc);
}

}  // namespace

bool TakeEditionArgument(const std::vector<std::string>& args, size_t& i, EditionSource& source,
                         std::optional<std::string>& error) {
  const std::string& a = args[i];
  const bool has_next = i + 1 < args.size();
  if (a == "--values" && has_next) {
    error = AddValuesFile(source.values, args[++i]);
    source.has_values = true;
    return true;
  }
  if (a == "--set" && has_next) {
    error = AddAssignment(source.values, args[++i]);
    source.has_values = true;
    return true;
  }
  if (a.rfind("--", 0) != 0 && source.installer.empty()) {
    source.installer = a;
    return true;
  }
  return false;
}

std::optional<int> ParseEditionCommand(const std::vector<std::string>& args, EditionCommand& out) {
  std::string server;
  for (size_t i = 0; i < args.size(); ++i) {
    std::optional<std::string> error;
    if (args[i] == "--server" && i + 1 < args.size()) {
      server = args[++i];
    } else if (!TakeEditionArgument(args, i, out.source, error)) {
      return Usage();
    }
    if (error)
      return Fail(kExitBadInput, *error);
  }
  if (!server.empty()) {
    const auto root = ServerRootFromArgument(server);
    if (!root.error.empty())
      return Fail(kExitBadInput, root.error);
    out.server = root.root;
  }
  return std::nullopt;
}

std::optional<config::TAppInfo> ReadInstallerAppInfo(const std::string& exe, std::string& error) {
  if (!fs::FileExists(exe)) {
    error = "cannot read " + exe;
    return std::nullopt;
  }
  const auto dir = ScratchDir::Create();
  if (!dir) {
    error = "cannot make a temporary folder";
    return std::nullopt;
  }
  if (config::ExtractConfigBlock(exe, dir->path()) != config::ExtractResult::kWritten) {
    error = exe + ": no configuration block";
    return std::nullopt;
  }
  auto info = ReadAppInfoIn(*dir);
  if (!info) {
    error = exe + ": the configuration block is damaged";
    return std::nullopt;
  }
  if (const auto violation = config::FindFileNameViolation(*info)) {
    error = exe + ": " + config::Describe(*violation) + ": the installer refuses this block";
    return std::nullopt;
  }
  return info;
}

LoadedEdition LoadEdition(const EditionSource& source) {
  if (source.has_values == !source.installer.empty())
    return {std::nullopt, "name the edition with --values/--set or with one installer"};
  std::string error;
  if (!source.installer.empty()) {
    auto info = ReadInstallerAppInfo(source.installer, error);
    return {std::move(info), error};
  }
  std::string xml;
  if (auto err = BuildXml(source.values, xml))
    return {std::nullopt, *err};
  const auto dir = ScratchDir::Create();
  if (!dir)
    return {std::nullopt, "cannot make a temporary folder"};
  if (!fs::WriteWholeFile(dir->File(std::string(config::kAppInfoFileName)), xml))
    return {std::nullopt, "cannot write " + dir->path()};
  auto info = ReadAppInfoIn(*dir);
  if (!info)
    return {std::nullopt, "the values make a block the installer cannot read"};
  return {std::move(info), ""};
}

}  // namespace zentivo::pack
