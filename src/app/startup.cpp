#include "app/startup.h"

#include "config/application.h"
#include "config/config_block.h"
#include "config/read_app_info.h"
#include "platform/fs.h"

namespace zentivo::app {

StartupPaths PathsFromModule(const std::string& module_path) {
  StartupPaths paths;
  const size_t cut = module_path.find_last_of("\\/");
  paths.ExeDir = cut == std::string::npos ? std::string() : module_path.substr(0, cut + 1);
  paths.WorkDir = paths.ExeDir + std::string(kWorkDirName);
  return paths;
}

void CheckSingleInstance(StartupHost& host) {
  if (host.CreateLockOrFindOther(std::string(kApplicationTitle)))
    return;
  host.ShowMessage(std::string(kSecondInstanceMessage), std::string(kSecondInstanceCaption));
  host.ExitProcess(0);
}

StartupOutcome RunStartup(StartupHost& host, const std::string& module_path,
                          config::XmlDocument& xml, StartupPaths& paths, config::TAppInfo& info) {
  CheckSingleInstance(host);
  paths = PathsFromModule(module_path);

  const auto fail = [&] {
    host.ShowMessage(std::string(kConfigFailedMessage), std::string(kApplicationTitle));
    return StartupOutcome::kConfigFailed;
  };
  // "temp" beside the installer may be a junction or link the user (or
  // anyone) made to a folder elsewhere; working there would write through
  // it and, after success, clean up in that folder.
  if (fs::IsLinkOrReparsePoint(paths.WorkDir))
    return fail();
  // A stored length of 0 extracts nothing; whatever appinfo.xml an earlier
  // run left is read then.
  if (config::ExtractConfigBlock(module_path, paths.WorkDir) == config::ExtractResult::kFailed)
    return fail();
  auto read =
      config::ReadAppInfo(xml, paths.WorkDir + "\\" + std::string(config::kAppInfoFileName));
  if (!read)
    return fail();
  info = std::move(*read);
  return StartupOutcome::kReady;
}

}  // namespace zentivo::app
