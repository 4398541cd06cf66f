// The download plan for every agent row, year and edition, and the optional
// files, as one table.
#include <gtest/gtest.h>

#include "download/download_plan.h"

namespace zentivo::download {
namespace {

struct PlanRow {
  const char* agent;
  const char* app_name;
  const char* app_ename;
  const char* setup;
  const char* maindb;
  bool icon;
};

const PlanRow kRows[] = {
    // 100176-1 and 100329-1: the year from AppName, the edition's archive.
    {"100176-1", "Zentivo 2013 题库", "QUENXRPX_Word2007",
     "//QUENX_ZazivIV/100176-1(2013)/GlobeRPX/setup.zip",
     "/QUENX_ZazivIV/100176-1(2013)/QUENXRPX_Word2007/Data/Maindb.db", true},
    {"100176-1", "Zentivo 题库", "QUENXRQX_Excel",
     "//QUENX_ZazivIV/100176-1(2014)/GlobeRQX/setup.zip",
     "/QUENX_ZazivIV/100176-1(2014)/QUENXRQX_Excel/Data/Maindb.db", false},
    {"100329-1", "Zentivo 2013", "QUENX_Access",
     "//QUENX_ZazivIV/100329-1(2013)/GlobeRSX/setup.zip",
     "/QUENX_ZazivIV/100329-1(2013)/QUENX_Access/Data/Maindb.db", false},
    {"100329-1", "Zentivo 2012", "QUENXRPX_PPT",
     "//QUENX_ZazivIV/100329-1(2014)/GlobeRPX/setup.zip",
     "/QUENX_ZazivIV/100329-1(2014)/QUENXRPX_PPT/Data/Maindb.db", true},
    // 0772-1: RPX has its own archive; RQX and RSX share one; no year.
    {"0772-1", "Zentivo 2013", "QUENXRPX_C", "//QUENXGlobeRPX/setup.zip",
     "/QUENX_DarorOR/QUENXRPX_C/Data/Maindb.db", true},
    {"0772-1", "Zentivo", "QUENXRQX_C", "//QUENXGlobeRQX_RSX/setup.zip",
     "/QUENX_DarorOR/QUENXRQX_C/Data/Maindb.db", false},
    {"0772-1", "Zentivo", "QUENX_C", "//QUENXGlobeRQX_RSX/setup.zip",
     "/QUENX_DarorOR/QUENX_C/Data/Maindb.db", false},
    // 888888888888888: the 0772-1 folder of the Zaziv tree.
    {"888888888888888", "Zentivo 2013", "QUENXRQX_VB", "//QUENX_ZazivIV/0772-1/GlobeRQX/setup.zip",
     "/QUENX_ZazivIV/0772-1/QUENXRQX_VB/Data/Maindb.db", false},
    // 167-1: years 2012/2014, always the RPX archive, always the icon.
    {"167-1", "Zentivo 2012", "QUENXRSX_Word", "//QUENX_ZazivIV/167-1(2012)/GlobeRPX/setup.zip",
     "/QUENX_ZazivIV/167-1(2012)/QUENXRSX_Word/Data/Maindb.db", true},
    {"167-1", "Zentivo 2013", "QUENXRQX_Word", "//QUENX_ZazivIV/167-1(2014)/GlobeRPX/setup.zip",
     "/QUENX_ZazivIV/167-1(2014)/QUENXRQX_Word/Data/Maindb.db", true},
    // Any other agent: its own folder, no year (even with 2013 in the name).
    {"5555-2", "Zentivo 2013", "QUENXRPX_Java", "//QUENX_ZazivIV/5555-2/GlobeRPX/setup.zip",
     "/QUENX_ZazivIV/5555-2/QUENXRPX_Java/Data/Maindb.db", true},
    // Agent codes compare exactly: a near miss is "any other".
    {"100176-1 ", "Zentivo 2013", "QUENXRSX_Java", "//QUENX_ZazivIV/100176-1 /GlobeRSX/setup.zip",
     "/QUENX_ZazivIV/100176-1 /QUENXRSX_Java/Data/Maindb.db", false},
    {"", "Zentivo", "rpx_lower", "//QUENX_ZazivIV//GlobeRSX/setup.zip",
     "/QUENX_ZazivIV//rpx_lower/Data/Maindb.db", false},
};

TEST(DownloadPlan, EveryAgentRow) {
  for (const PlanRow& row : kRows) {
    SCOPED_TRACE(std::string(row.agent) + " / " + row.app_ename);
    const DownloadPlan plan = BuildDownloadPlan(row.agent, row.app_name, row.app_ename);
    EXPECT_EQ(plan.SetupPath, row.setup);
    EXPECT_EQ(plan.MaindbPath, row.maindb);
    EXPECT_EQ(plan.FetchIcon, row.icon);
    EXPECT_EQ(plan.UninstallPath, "//2014QUENX_install/uninstall/uninstall.exe");
  }
}

TEST(DownloadPlan, WorkedExample) {
  const DownloadPlan plan = BuildDownloadPlan("100176-1", "Zentivo 2013", "QUENXRPX_Word2007");
  EXPECT_EQ(plan.FlashFolder, "Word2007");
  EXPECT_EQ(plan.EditionCode, "RPX");
  EXPECT_EQ(plan.IconPath, "//QUENXFlash/Word2007/exe.ico");
  EXPECT_EQ(plan.TestFlashPath, "/QUENXFlash/Word2007/TestFlash.zip");
  EXPECT_EQ(plan.TestFlash2Path, "/QUENXFlash/Word2007/TestFlash2.zip");
  EXPECT_EQ(plan.TestFlash3Path, "/QUENXFlash/Word2007/TestFlash3.zip");
  EXPECT_EQ(plan.PlayFlashPath, "/QUENXFlash/Word2007/PlayFlash.zip");
  EXPECT_TRUE(plan.IncludeTestFlash3);
  EXPECT_FALSE(plan.IncludePlayFlash);
}

TEST(DownloadPlan, FlashFolderAndEdition) {
  // Everything after the first "_"; the whole name without one.
  EXPECT_EQ(BuildDownloadPlan("x", "", "A_B_C").FlashFolder, "B_C");
  EXPECT_EQ(BuildDownloadPlan("x", "", "NOUNDERSCORE").FlashFolder, "NOUNDERSCORE");
  EXPECT_EQ(BuildDownloadPlan("x", "", "ends_").FlashFolder, "");
  // RPX wins over RQX, RQX over the default RSX; case counts.
  EXPECT_EQ(BuildDownloadPlan("x", "", "RQX_RPX").EditionCode, "RPX");
  EXPECT_EQ(BuildDownloadPlan("x", "", "RQX_A").EditionCode, "RQX");
  EXPECT_EQ(BuildDownloadPlan("x", "", "rpx_rqx").EditionCode, "RSX");
}

TEST(DownloadPlan, OptionalFiles) {
  struct {
    const char* app_ename;
    bool test_flash3, play_flash;
  } const cases[] = {
      {"QUENXRPX_WORD2003", true, false},  {"QUENXRPX_Word2007", true, false},
      {"QUENXRPX_word2007", false, false}, {"QUENXRPX_Word2003", false, false},
      {"QUENXRPX_Flash8", false, true},    {"QUENX_Word2007Flash", true, true},
      {"QUENX_flash", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.app_ename);
    const DownloadPlan plan = BuildDownloadPlan("0772-1", "", c.app_ename);
    EXPECT_EQ(plan.IncludeTestFlash3, c.test_flash3);
    EXPECT_EQ(plan.IncludePlayFlash, c.play_flash);
  }
}

}  // namespace
}  // namespace zentivo::download
