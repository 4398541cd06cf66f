#include "download/download_plan.h"

namespace zentivo::download {
namespace {

bool Contains(const std::string& s, std::string_view part) {
  return s.find(part) != std::string::npos;
}

std::string FlashFolderOf(const std::string& app_ename) {
  const size_t underscore = app_ename.find('_');
  return underscore == std::string::npos ? app_ename : app_ename.substr(underscore + 1);
}

std::string EditionCodeOf(const std::string& app_ename) {
  if (Contains(app_ename, "RPX"))
    return "RPX";
  if (Contains(app_ename, "RQX"))
    return "RQX";
  return "RSX";
}

// "//QUENX_ZazivIV/" + folder + "/Globe" + edition + "/setup.zip" and the
// database beside it, for the agent rows that share that layout.
void ZazivLayout(DownloadPlan& plan, const std::string& folder, const std::string& globe,
                 const std::string& app_ename) {
  plan.SetupPath = "//QUENX_ZazivIV/" + folder + "/Globe" + globe + "/setup.zip";
  plan.MaindbPath = "/QUENX_ZazivIV/" + folder + "/" + app_ename + "/Data/Maindb.db";
}

}  // namespace

DownloadPlan BuildDownloadPlan(const std::string& agent_version, const std::string& app_name,
                               const std::string& app_ename) {
  DownloadPlan plan;
  plan.FlashFolder = FlashFolderOf(app_ename);
  plan.EditionCode = EditionCodeOf(app_ename);
  const std::string& a = agent_version;
  const std::string& ed = plan.EditionCode;
  plan.FetchIcon = ed == "RPX";

  if (a == "100176-1" || a == "100329-1") {
    const std::string year = Contains(app_name, "2013") ? "(2013)" : "(2014)";
    ZazivLayout(plan, a + year, ed, app_ename);
  } else if (a == "0772-1") {
    plan.SetupPath = ed == "RPX" ? "//QUENXGlobeRPX/setup.zip" : "//QUENXGlobeRQX_RSX/setup.zip";
    plan.MaindbPath = "/QUENX_DarorOR/" + app_ename + "/Data/Maindb.db";
  } else if (a == "888888888888888") {
    ZazivLayout(plan, "0772-1", ed, app_ename);
  } else if (a == "167-1") {
    const std::string year = Contains(app_name, "2012") ? "(2012)" : "(2014)";
    ZazivLayout(plan, a + year, "RPX", app_ename);  // the RPX archive whatever the edition
    plan.FetchIcon = true;
  } else {
    ZazivLayout(plan, a, ed, app_ename);
  }

  const std::string flash = "/QUENXFlash/" + plan.FlashFolder + "/";
  plan.IconPath = "/" + flash + "exe.ico";
  plan.TestFlashPath = flash + "TestFlash.zip";
  plan.TestFlash2Path = flash + "TestFlash2.zip";
  plan.TestFlash3Path = flash + "TestFlash3.zip";
  plan.PlayFlashPath = flash + "PlayFlash.zip";
  plan.UninstallPath = "//2014QUENX_install/uninstall/uninstall.exe";
  plan.IncludeTestFlash3 = Contains(app_ename, "WORD2003") || Contains(app_ename, "Word2007");
  plan.IncludePlayFlash = Contains(app_ename, "Flash");
  return plan;
}

std::vector<PlannedFile> PlannedFiles(const DownloadPlan& plan) {
  const auto optional = [](bool asked) { return asked ? PlanNeed::kIfProbed : PlanNeed::kLeftOut; };
  return {
      {kSetupZip, plan.SetupPath, PlanNeed::kAlways},
      {kMaindbDb, plan.MaindbPath, PlanNeed::kAlways},
      {kExeIco, plan.IconPath, optional(plan.FetchIcon)},
      {kUninstallExe, plan.UninstallPath, PlanNeed::kAlways},
      {kTestFlashZip, plan.TestFlashPath, PlanNeed::kAlways},
      {kTestFlash2Zip, plan.TestFlash2Path, PlanNeed::kIfProbed},
      {kTestFlash3Zip, plan.TestFlash3Path, optional(plan.IncludeTestFlash3)},
      {kPlayFlashZip, plan.PlayFlashPath, optional(plan.IncludePlayFlash)},
  };
}

}  // namespace zentivo::download
