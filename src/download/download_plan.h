// Which files this product edition needs and where they lie on the update
// server, worked out from three configuration values.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "download/download_state.h"

namespace zentivo::download {

// The names of the files in WorkDir (and of the ".tmp" files beside them).
inline constexpr std::string_view kSetupZip = "setup.zip";
inline constexpr std::string_view kMaindbDb = "Maindb.db";
inline constexpr std::string_view kExeIco = "exe.ico";
inline constexpr std::string_view kUninstallExe = "uninstall.exe";
inline constexpr std::string_view kTestFlashZip = "TestFlash.zip";
inline constexpr std::string_view kTestFlash2Zip = "TestFlash2.zip";
inline constexpr std::string_view kTestFlash3Zip = "TestFlash3.zip";
inline constexpr std::string_view kPlayFlashZip = "PlayFlash.zip";

// Server paths, each to be put after ServerRoot as it stands (some begin with
// two slashes and are requested that way).
struct DownloadPlan {
  std::string FlashFolder;
  std::string EditionCode;  // "RPX", "RQX" or "RSX"
  std::string SetupPath;
  std::string MaindbPath;
  std::string IconPath;
  std::string UninstallPath;
  std::string TestFlashPath;
  std::string TestFlash2Path;
  std::string TestFlash3Path;
  std::string PlayFlashPath;
  bool FetchIcon = false;
  bool IncludeTestFlash3 = false;  // probed, and fetched when its size isn't 0
  bool IncludePlayFlash = false;   // the same
};

// Every substring test is case-sensitive.
DownloadPlan BuildDownloadPlan(const std::string& agent_version, const std::string& app_name,
                               const std::string& app_ename);

// What the worker does with one of the eight files.
enum class PlanNeed {
  kAlways,    // fetched in every installation; a missing file stops it
  kIfProbed,  // probed with HEAD and fetched only when its size isn't 0
  kLeftOut,   // this edition never asks for it
};

struct PlannedFile {
  std::string_view name;  // the file's name in WorkDir
  std::string path;       // its path after ServerRoot
  PlanNeed need = PlanNeed::kAlways;
};

// The eight files in download order ("setup.zip", "Maindb.db", "exe.ico",
// "uninstall.exe", "TestFlash.zip", "TestFlash2.zip", "TestFlash3.zip",
// "PlayFlash.zip") with what the plan makes of each.
std::vector<PlannedFile> PlannedFiles(const DownloadPlan& plan);

struct FileCodeName {
  int32_t code;  // CurrentFile's code
  std::string_view name;
};
// The eight files in download order, each with its CurrentFile code.
inline constexpr FileCodeName kPlannedFileCodes[] = {
    {kFileSetup, kSetupZip},
    {kFileMaindb, kMaindbDb},
    {kFileIcon, kExeIco},
    {kFileUninstall, kUninstallExe},
    {kFileTestFlash, kTestFlashZip},
    {kFileTestFlash2, kTestFlash2Zip},
    {kFileTestFlash3, kTestFlash3Zip},
    {kFilePlayFlash, kPlayFlashZip},
};
inline std::span<const FileCodeName> PlannedFileCodes() {
  return kPlannedFileCodes;
}

}  // namespace zentivo::download
