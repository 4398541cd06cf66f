// The start-up sequence up to the window's title: the single-instance guard,
// ExeDir and WorkDir, and the configuration block.
#pragma once

#include <string>
#include <string_view>

#include "config/app_info.h"
#include "config/xml_document.h"

namespace zentivo::app {

inline constexpr std::string_view kSecondInstanceMessage = "请不要重复运行本程序";
inline constexpr std::string_view kSecondInstanceCaption = "提示";
inline constexpr std::string_view kConfigFailedMessage = "读取配置文件失败，请重新下载安装包。";
inline constexpr std::string_view kWorkDirName = "temp";

// What the start-up needs of the platform, so tests can stand in for it.
class StartupHost {
 public:
  virtual ~StartupHost() = default;
  // A modal box with one OK button and no icon.
  virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
  // Ends the process at once, without the normal shutdown.
  [[noreturn]] virtual void ExitProcess(int code) = 0;
  // True when this process now holds the lock of that name (or it could not
  // be made at all); false when another process holds it.
  virtual bool CreateLockOrFindOther(const std::string& name) = 0;
};

struct StartupPaths {
  std::string ExeDir;   // with its trailing separator
  std::string WorkDir;  // ExeDir + "temp"
};

// ExeDir and WorkDir from the full path of the running module.
StartupPaths PathsFromModule(const std::string& module_path);

// Shows the message and ends the process when another copy runs.
void CheckSingleInstance(StartupHost& host);

enum class StartupOutcome {
  kReady,         // TAppInfo filled
  kConfigFailed,  // the load-failure message was shown; the program must end
};

// FormCreate's steps 1 to 4: the guard, WorkDir, ExtractConfigBlock and
// ReadAppInfo. On kReady `info` holds every value.
[[nodiscard]] StartupOutcome RunStartup(StartupHost& host, const std::string& module_path,
                                        config::XmlDocument& xml, StartupPaths& paths,
                                        config::TAppInfo& info);

}  // namespace zentivo::app
