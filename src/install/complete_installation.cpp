#include "install/complete_installation.h"

#include <algorithm>
#include <exception>

#include "install/extract_package.h"
#include "install/remove_working_files.h"
#include "install/shortcuts.h"
#include "install/uninstall_record.h"
#include "platform/fs.h"

namespace zentivo::install {
namespace {

// Stage values of the progress display, and how far each step moves the bar;
// the installation's share of the bar is the last 20000000 of its range.
constexpr int32_t kStageExtracting = 300;
constexpr int32_t kStagePlaced = 600;
constexpr int32_t kStageRecorded = 900;
constexpr int32_t kStageLogged = 950;
constexpr int32_t kStageDone = 1000;
constexpr int kPauseAfterLog = 300;
constexpr int kPauseBeforeDone = 800;

// The product's own files, recorded for the uninstaller whether or not the
// archives brought them ("CopyFIle.exe" is spelled as the uninstaller knows it).
constexpr const char* kProductFiles[] = {
    "CopyFIle.exe",  "DiskID32.dll",  "ExamTime.ini", "Flash.exe",     "help.chm",
    "DeskTutor.elf", "DeskTutor.exe", "VoiceTip.mp3", "uninstall.exe", "MIDAS.DLL",
};

// The editions whose name holds this start a different program.
constexpr std::string_view kSprintEditionMark = "冲刺";

struct ExtractionFailed {};

class Completion {
 public:
  Completion(CompletionUi& ui, const CompletionInputs& in, ShellService& shell)
      : ui_(ui), in_(in), shell_(shell) {}

  void Run() {
    const std::string dir = ui_.InstallDir();
    record_.Files = {"[file]"};
    record_.Dirs = {dir + "\\"};
    try {
      Steps(dir);
    } catch (const ExtractionFailed&) {
      ui_.ShowMessage(std::string(kDamagedPackageMessage));
      ui_.DisableCancel();
    } catch (const EExtractStopped&) {
      // The window is closing; the downloads stay for the next run.
    } catch (const EWriteFailure& e) {
      ui_.HideFinishedControls();
      ui_.ShowMessage(std::string(e.disk_full() ? kDiskFullMessage : kInstallFailedMessage));
    } catch (...) {
      ui_.HideFinishedControls();
      ui_.ShowMessage(std::string(kInstallFailedMessage));
    }
  }

 private:
  void Steps(const std::string& dir) {
    ui_.GreyCancelCaption();
    ui_.AdvanceProgress(10000000);
    ui_.SendProgress(kStageExtracting);

    MakeFolders(dir);
    for (const char* sub : {"data", "Images", "Menu", "TestFlash"})
      record_.Dirs.push_back(dir + "\\" + sub + "\\");
    ExtractArchives(dir);

    // The icon exists only for some editions; one that wasn't downloaded is
    // not copied.
    const std::string from = in_.ExeDir + "temp\\";
    for (const auto& [name, to] :
         {std::pair{"Maindb.db", "\\data\\Maindb.db"}, std::pair{"exe.ico", "\\exe.ico"},
          std::pair{"uninstall.exe", "\\uninstall.exe"}}) {
      if (in_.Usable(name))
        CopyIntoPlace(from + name, dir + to);
    }

    ui_.SendProgress(kStagePlaced);
    ui_.AdvanceProgress(6000000);
    ui_.SendProgress(kStageRecorded);
    ui_.AdvanceProgress(2000000);

    for (const char* name : kProductFiles) record_.Files.push_back(dir + "\\" + name);
    MakeShortcuts(dir);
    WriteLog(dir);

    ui_.Pause(kPauseAfterLog);
    ui_.SendProgress(kStageLogged);
    ui_.AdvanceProgress(1000000);
    ui_.Pause(kPauseBeforeDone);
    ui_.AdvanceProgress(2000000);
    ui_.SendProgress(kStageDone);

    ui_.ShowFinishedView();
    // The working folder may be one the user had before, with files of
    // their own: only ours go.
    RemoveWorkingFiles(in_.WorkDir, in_.WorkingFiles);
  }

  static void MakeFolders(const std::string& dir) {
    const bool data = fs::MakeDirectories(dir + "\\data");
    const bool menu = fs::MakeDirectories(dir + "\\Menu");
    if (data && menu)
      return;
    fs::MakeDirectories(dir + "\\data");
    fs::MakeDirectories(dir + "\\Menu");
  }

  void ExtractArchives(const std::string& dir) {
    struct Archive {
      const char* name;
      bool wanted;
    };
    // A recorded size of 0 means the worker did not fetch that archive.
    const Archive archives[] = {
        {"setup.zip", true},
        {"TestFlash.zip", true},
        {"TestFlash2.zip", in_.TestFlash2Size != 0},
        {"TestFlash3.zip", in_.TestFlash3Size != 0},
        {"PlayFlash.zip", in_.PlayFlashSize != 0},
    };
    const Pump pump = [this] { return ui_.ProcessMessages(); };
    for (const auto& a : archives) {
      if (!a.wanted)
        continue;
      // An archive that was not verified in this run is as good as absent.
      if (!in_.Usable(a.name))
        throw ExtractionFailed{};
      const std::string archive = in_.WorkDir + "\\" + a.name;
      try {
        ExtractPackage(archive, dir, pump);
      } catch (const EExtractFailure&) {
        // Damaged: the next run fetches it again instead of failing the
        // same way for ever.
        fs::RemoveFile(archive);
        throw ExtractionFailed{};
      }
    }
  }

  // Copies through a side name, so no half file ever stands under the final
  // name. A file that wasn't downloaded is not copied, and an existing
  // target that can't be replaced (read-only, locked) stays as it is; any
  // other failure ends the installation.
  static void CopyIntoPlace(const std::string& from, const std::string& to) {
    if (!fs::FileExists(from))
      return;
    if (const auto attrs = fs::GetAttributes(to); attrs && (*attrs & fs::kAttrReadOnly))
      return;
    const std::string part = to + std::string(kPartSuffix);
    if (!fs::CopyFileReplacing(from, part)) {
      const bool disk_full = fs::LastFailureWasDiskFull();
      fs::RemoveFile(part);
      throw EWriteFailure(disk_full, "can't copy " + from);
    }
    (void)PlacePart(part, to);
  }

  void MakeShortcuts(const std::string& dir) {
    const ShortcutContext context{in_.AppName, in_.AppEName, dir};
    const bool sprint = in_.AppName.find(kSprintEditionMark) != std::string::npos;
    const std::string target = dir + (sprint ? "\\Mivanta.exe" : "\\DeskTutor.exe");
    CreateProductShortcuts(shell_, record_, context, target, in_.AppName);
    const std::string uninstaller = dir + "\\uninstall.exe";
    if (fs::FileExists(uninstaller))
      CreateUninstallShortcut(shell_, record_, context, uninstaller, "卸载 " + in_.AppName);
  }

  void WriteLog(const std::string& dir) {
    const std::string path = dir + "\\" + std::string(kUninstallLogName);
    record_.Files.push_back(path);
    record_.Files.push_back("[dir]");
    record_.Files.insert(record_.Files.end(), record_.Dirs.begin(), record_.Dirs.end());
    if (!WriteUninstallLog(path, record_.Files))
      throw EWriteFailure(fs::LastFailureWasDiskFull(), "uninstall.log can't be written");
  }

  CompletionUi& ui_;
  const CompletionInputs& in_;
  ShellService& shell_;
  UninstallRecord record_;
};

}  // namespace

bool CompletionInputs::Usable(std::string_view name) const {
  return !OnlyVerified || std::find(Verified.begin(), Verified.end(), name) != Verified.end();
}

void CompleteInstallation(CompletionUi& ui, const CompletionInputs& inputs, ShellService& shell) {
  Completion(ui, inputs, shell).Run();
}

void CompleteInstallation(CompletionUi& ui, const CompletionInputs& inputs) {
  auto shell = CreateShellService();
  CompleteInstallation(ui, inputs, *shell);
}

}  // namespace zentivo::install
