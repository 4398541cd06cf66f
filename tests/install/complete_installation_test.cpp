#include <gtest/gtest.h>

#include <functional>
#include <iostream>

#include "download/working_files.h"
#include "extract_test_support.h"
#include "fake_shell.h"
#include "install/complete_installation.h"
#include "platform/args.h"
#include "platform/fs.h"
#include "support/links.h"
#include "zip_builder.h"

namespace zentivo::install {
namespace {

using testing::Separator;
using Tree = std::map<std::string, std::string>;

class FakeUi : public CompletionUi {
 public:
  explicit FakeUi(std::string dir) : dir_(std::move(dir)) {}
  std::string InstallDir() override { return dir_; }
  void GreyCancelCaption() override { events.push_back("grey cancel"); }
  void AdvanceProgress(int32_t delta) override { events.push_back("+" + std::to_string(delta)); }
  void SendProgress(int32_t value) override { events.push_back("stage " + std::to_string(value)); }
  void ShowFinishedView() override { events.push_back("finished view"); }
  void DisableCancel() override { events.push_back("disable cancel"); }
  void HideFinishedControls() override { events.push_back("hide finished controls"); }
  void ShowMessage(const std::string& text) override { events.push_back("message " + text); }
  bool ProcessMessages() override { return ++pumps != close_at_pump; }
  void Pause(int ms) override { events.push_back("pause " + std::to_string(ms)); }

  std::vector<std::string> events;
  int pumps = 0;
  int close_at_pump = -1;  // the window closes while handling this pump's messages

 private:
  std::string dir_;
};

const std::vector<std::string> kSuccessEvents = {
    "grey cancel", "+10000000", "stage 300",  "stage 600",    "+6000000",
    "stage 900",   "+2000000",  "pause 300",  "stage 950",    "+1000000",
    "pause 800",   "+2000000",  "stage 1000", "finished view"};

class Completion : public ::testing::Test {
 protected:
  Completion() {
    inputs_.ExeDir = root_.path() + Separator();
    inputs_.WorkDir = inputs_.ExeDir + "temp";
    inputs_.AppName = "Zentivo 2014 演示版";
    inputs_.AppEName = "QUENXRPX_Word2007";
    inputs_.TestFlash2Size = 1234;
    inputs_.WorkingFiles = download::WorkingFileNames();
    shell_.desktop = root_ / "Desktop";
    shell_.start_menu = root_ / "Start Menu";
    EXPECT_TRUE(fs::MakeDirectory(shell_.desktop));
    EXPECT_TRUE(fs::MakeDirectory(shell_.start_menu));
    PutDownloads();
  }

  // The working folder as the worker leaves it.
  void PutDownloads() {
    if (!fs::DirectoryExists(inputs_.WorkDir)) {
      EXPECT_TRUE(fs::MakeDirectory(inputs_.WorkDir));
    }
    Put("setup.zip", testing::ZipBuilder()
                         .File("DeskTutor.exe", "MZ tutor")
                         .File("Images/bg.bmp", "BM")
                         .File("DeskTutor.elf", "elf")
                         .Build());
    Put("TestFlash.zip", testing::ZipBuilder().File("TestFlash/one.swf", "FWS1").Build());
    Put("TestFlash2.zip", testing::ZipBuilder().File("TestFlash/two.swf", "FWS2").Build());
    Put("Maindb.db", "database");
    Put("exe.ico", "icon");
    Put("uninstall.exe", "MZ uninstall");
    Put("appinfo.xml", "<AppInfo/>");
  }

  void Put(const std::string& name, const std::string& bytes) {
    testing::WriteFileOrFail(inputs_.WorkDir + Separator() + name, bytes);
  }
  void Drop(const std::string& name) { fs::RemoveFile(inputs_.WorkDir + Separator() + name); }
  std::vector<std::string> Run(int close_at_pump = -1) {
    FakeUi ui(dir_);
    ui.close_at_pump = close_at_pump;
    CompleteInstallation(ui, inputs_, shell_);
    pumps_ = ui.pumps;
    return ui.events;
  }
  std::string In(const std::string& name) const { return dir_ + Separator() + name; }
  std::optional<std::string> Log() const { return fs::ReadWholeFile(In("uninstall.log")); }

  // The log as the uninstaller expects it, line by line in GBK with CR LF.
  std::string ExpectedLog(const std::string& name_gbk, bool uninstall_link) const {
    const std::string i = dir_;
    const std::string d = shell_.desktop, s = shell_.start_menu;
    std::vector<std::string> lines = {
        "[file]",
        i + "\\CopyFIle.exe",
        i + "\\DiskID32.dll",
        i + "\\ExamTime.ini",
        i + "\\Flash.exe",
        i + "\\help.chm",
        i + "\\DeskTutor.elf",
        i + "\\DeskTutor.exe",
        i + "\\VoiceTip.mp3",
        i + "\\uninstall.exe",
        i + "\\MIDAS.DLL",
        d + "\\" + name_gbk + ".lnk",
        s + "\\" + name_gbk + "\\" + name_gbk + ".lnk",
    };
    if (uninstall_link)
      lines.push_back(s + "\\" + name_gbk + "\\\xD0\xB6\xD4\xD8 " + name_gbk + ".lnk");
    for (const std::string& l :
         {i + "\\uninstall.log", std::string("[dir]"), i + "\\", i + "\\data\\", i + "\\Images\\",
          i + "\\Menu\\", i + "\\TestFlash\\", s + "\\" + name_gbk})
      lines.push_back(l);
    std::string bytes;
    for (const auto& l : lines) bytes += l + "\r\n";
    return bytes;
  }

  testing::TempDir root_;
  std::string dir_ = root_ / "QUENXRPX_Word2007";
  CompletionInputs inputs_;
  testing::FakeShell shell_;
  int pumps_ = 0;
};

const std::string kNameGbk = "Zentivo 2014 \xD1\xDD\xCA\xBE\xB0\xE6";  // 演示版

TEST_F(Completion, InstallsTheProductWritesTheLogAndRemovesTheWorkingFolder) {
  EXPECT_EQ(Run(), kSuccessEvents);
  EXPECT_GE(pumps_, 3);  // the window kept handling its messages while extracting
  EXPECT_EQ(testing::ReadTree(dir_), (Tree{{"DeskTutor.exe", "MZ tutor"},
                                           {"DeskTutor.elf", "elf"},
                                           {"Images/", ""},
                                           {"Images/bg.bmp", "BM"},
                                           {"TestFlash/", ""},
                                           {"TestFlash/one.swf", "FWS1"},
                                           {"TestFlash/two.swf", "FWS2"},
                                           {"data/", ""},
                                           {"data/Maindb.db", "database"},
                                           {"Menu/", ""},
                                           {"exe.ico", "icon"},
                                           {"uninstall.exe", "MZ uninstall"},
                                           {"uninstall.log", ExpectedLog(kNameGbk, true)}}));
  EXPECT_FALSE(fs::DirectoryExists(inputs_.WorkDir));

  const std::string name = inputs_.AppName;
  const std::string menu = shell_.start_menu + "\\" + name + "\\";
  const std::string props = "|" + dir_ + "\\DeskTutor.exe|" + dir_ + "\\|备考软件倾情奉献|";
  EXPECT_EQ(shell_.saves, (std::vector<std::string>{
                              shell_.desktop + "\\" + name + ".lnk" + props + dir_ + "\\exe.ico,0",
                              menu + name + ".lnk" + props + dir_ + "\\exe.ico,0",
                              menu + "卸载 " + name + ".lnk|" + dir_ + "\\uninstall.exe|" + dir_ +
                                  "\\|备考软件倾情奉献|"}));
  EXPECT_TRUE(fs::FileExists(menu + "卸载 " + name + ".lnk"));
}

// "temp" beside the installer was the user's before: after success their
// file and subfolder are still there, the installer's files are gone, and
// so the folder stays.
TEST_F(Completion, AWorkingFolderOfTheUsersKeepsWhatIsTheirs) {
  Put("letter.doc", "Dear");
  ASSERT_TRUE(fs::MakeDirectory(inputs_.WorkDir + Separator() + "old"));
  Put(std::string("old") + Separator() + "setup.zip", "an older one");
  EXPECT_EQ(Run(), kSuccessEvents);
  EXPECT_EQ(testing::ReadTree(inputs_.WorkDir),
            (Tree{{"letter.doc", "Dear"}, {"old/", ""}, {"old/setup.zip", "an older one"}}));
}

// Links planted where the routine writes: at the side names of an extracted
// file and of a copy, and at the log's own name. Each is replaced, never
// written through: the files they lead to stay byte for byte, and the
// installation succeeds with the right files.
TEST_F(Completion, LinksAtTheNamesItWritesAreReplacedNotWrittenThrough) {
  const std::string outside = root_ / "Documents";
  ASSERT_TRUE(fs::MakeDirectory(outside));
  ASSERT_TRUE(fs::MakeDirectories(In("data")));
  ASSERT_TRUE(fs::MakeDirectories(In("Images")));
  enum class Kind { kHard, kSymbolic };
  struct Row {
    const char* at;  // below the installation folder
    Kind kind;
  };
  const Row rows[] = {
      {"DeskTutor.exe.zentivo-part", Kind::kHard},      // an extracted file's side name
      {"data/Maindb.db.zentivo-part", Kind::kHard},     // a copy's side name
      {"uninstall.log", Kind::kHard},                   // renamed over
      {"Images/bg.bmp.zentivo-part", Kind::kSymbolic},  // an extracted file's side name
      {"uninstall.exe.zentivo-part", Kind::kSymbolic},  // a copy's side name
  };
  std::vector<std::pair<std::string, std::string>> planted;  // outside file, its bytes
  for (size_t i = 0; i < std::size(rows); ++i) {
    std::string at = dir_;
    for (const char c : "/" + std::string(rows[i].at)) at += c == '/' ? Separator() : c;
    const std::string target = outside + Separator() + "precious" + std::to_string(i);
    const std::string bytes = "the user's own bytes " + std::to_string(i);
    testing::WriteFileOrFail(target, bytes);
    const bool made = rows[i].kind == Kind::kHard ? testing::MakeHardLink(target, at)
                                                  : testing::MakeFileLink(target, at);
    if (made) {
      planted.emplace_back(target, bytes);
    } else {
      std::cout << "[  NOTE    ] this system can't make the link " << rows[i].at << "\n";
    }
  }
  ASSERT_FALSE(planted.empty()) << "no link could be made";
  EXPECT_EQ(Run(), kSuccessEvents);
  for (const auto& [target, bytes] : planted) EXPECT_EQ(fs::ReadWholeFile(target), bytes) << target;
  EXPECT_EQ(fs::ReadWholeFile(In("DeskTutor.exe")), "MZ tutor");
  EXPECT_EQ(fs::ReadWholeFile(In("Images") + Separator() + "bg.bmp"), "BM");
  EXPECT_EQ(fs::ReadWholeFile(In("data") + Separator() + "Maindb.db"), "database");
  EXPECT_EQ(fs::ReadWholeFile(In("uninstall.exe")), "MZ uninstall");
  EXPECT_EQ(*Log(), ExpectedLog(kNameGbk, true));
  for (const auto& [relative, bytes] : testing::ReadTree(dir_))
    EXPECT_FALSE(relative.ends_with(".zentivo-part")) << relative;
}

TEST_F(Completion, WithoutUninstallerOrIconTheLogLacksTheUninstallLink) {
  Drop("uninstall.exe");
  Drop("exe.ico");
  inputs_.AppEName = "QUENXRSX_Excel";  // no icon for this edition, even with exe.ico present
  ASSERT_TRUE(fs::MakeDirectories(dir_));
  testing::WriteFileOrFail(In("exe.ico"), "old icon");
  EXPECT_EQ(Run(), kSuccessEvents);
  EXPECT_EQ(*Log(), ExpectedLog(kNameGbk, false));
  EXPECT_FALSE(fs::FileExists(In("uninstall.exe")));
  ASSERT_EQ(shell_.saves.size(), 2u);
  EXPECT_EQ(shell_.saves[0].substr(shell_.saves[0].size() - 1), "|");  // no icon location
}

TEST_F(Completion, SprintEditionsStartMivanta) {
  inputs_.AppName = "Zentivo冲刺班";
  EXPECT_EQ(Run(), kSuccessEvents);
  EXPECT_EQ(*Log(), ExpectedLog("Zentivo\xB3\xE5\xB4\xCC\xB0\xE0", true));
  EXPECT_NE(shell_.saves.at(0).find("|" + dir_ + "\\Mivanta.exe|"), std::string::npos);
  EXPECT_NE(shell_.saves.at(1).find("|" + dir_ + "\\Mivanta.exe|"), std::string::npos);
}

TEST_F(Completion, InstallingAgainRewritesTheLogFromScratch) {
  Run();
  // The worker leaves a new working folder for the second run.
  ASSERT_TRUE(fs::MakeDirectory(inputs_.WorkDir));
  Put("setup.zip", testing::ZipBuilder().File("DeskTutor.exe", "MZ v2").Build());
  Put("TestFlash.zip", testing::ZipBuilder().File("TestFlash/one.swf", "v2").Build());
  Put("Maindb.db", "database v2");
  Put("uninstall.exe", "MZ uninstall");
  inputs_.TestFlash2Size = 0;
  EXPECT_EQ(Run(), kSuccessEvents);
  EXPECT_EQ(*Log(), ExpectedLog(kNameGbk, true));
  EXPECT_EQ(*fs::ReadWholeFile(In("DeskTutor.exe")), "MZ v2");
  EXPECT_EQ(*fs::ReadWholeFile(In("data") + Separator() + "Maindb.db"), "database v2");
}

TEST_F(Completion, OptionalArchivesFollowTheirRecordedSizes) {
  // Size 0: the archive lies there, damaged even, and is left alone.
  Put("TestFlash2.zip", "not an archive");
  inputs_.TestFlash2Size = 0;
  EXPECT_EQ(Run(), kSuccessEvents);
  EXPECT_FALSE(fs::FileExists(In("TestFlash") + Separator() + "two.swf"));
}

TEST_F(Completion, AnExtractionFailureStopsWithTheDamagedPackageMessage) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
  };
  const Case cases[] = {
      {"damaged setup.zip", [this] { Put("setup.zip", "PK truncated"); }},
      {"missing PlayFlash.zip with a size", [this] { inputs_.PlayFlashSize = 99; }},
      {"missing TestFlash.zip", [this] { Drop("TestFlash.zip"); }},
  };
  for (const auto& c : cases) {
    testing::RemoveTree(dir_);
    shell_.saves.clear();
    c.arrange();
    const auto events = Run();
    EXPECT_EQ(events, (std::vector<std::string>{"grey cancel", "+10000000", "stage 300",
                                                "message 安装包已损坏！", "disable cancel"}))
        << c.what;
    EXPECT_TRUE(fs::DirectoryExists(In("data"))) << c.what;
    EXPECT_TRUE(fs::DirectoryExists(In("Menu"))) << c.what;
    EXPECT_FALSE(Log()) << c.what;
    EXPECT_FALSE(fs::FileExists(In("uninstall.exe"))) << c.what;
    EXPECT_TRUE(shell_.saves.empty()) << c.what;
    EXPECT_TRUE(fs::FileExists(inputs_.WorkDir + Separator() + "Maindb.db")) << c.what;
    // A damaged archive is not kept: the next run fetches it again.
    if (std::string(c.what) == "damaged setup.zip") {
      EXPECT_FALSE(fs::FileExists(inputs_.WorkDir + Separator() + "setup.zip"));
    }
    Put("setup.zip", testing::ZipBuilder().File("DeskTutor.exe", "MZ tutor").Build());
    Put("TestFlash.zip", testing::ZipBuilder().File("TestFlash/one.swf", "FWS1").Build());
    inputs_.PlayFlashSize = 0;
  }
}

// After a download checked against the maker's manifest, only what was
// verified in that run leaves the working folder: anything else lying there
// is neither extracted nor copied.
TEST_F(Completion, OnlyFilesVerifiedInThisRunAreUsed) {
  const std::vector<std::string> damaged = {"grey cancel", "+10000000", "stage 300",
                                            "message 安装包已损坏！", "disable cancel"};
  struct Case {
    const char* what;
    std::vector<std::string> verified;
    bool finishes;
    std::vector<std::string> present, absent;  // in the installation
  };
  const std::string maindb = std::string("data") + Separator() + "Maindb.db";
  const Case cases[] = {
      {"an icon that was not verified is not copied",
       {"setup.zip", "TestFlash.zip", "TestFlash2.zip", "Maindb.db", "uninstall.exe"},
       true,
       {"DeskTutor.exe", maindb, "uninstall.exe"},
       {"exe.ico"}},
      {"an uninstaller that was not verified is not copied",
       {"setup.zip", "TestFlash.zip", "TestFlash2.zip", "Maindb.db", "exe.ico"},
       true,
       {"DeskTutor.exe", "exe.ico"},
       {"uninstall.exe"}},
      {"a setup.zip that was not verified is never extracted",
       {"TestFlash.zip", "TestFlash2.zip", "Maindb.db", "exe.ico", "uninstall.exe"},
       false,
       {},
       {"DeskTutor.exe", "exe.ico", "uninstall.exe"}},
      {"an optional archive with a size that was not verified is never extracted",
       {"setup.zip", "TestFlash.zip", "Maindb.db", "exe.ico", "uninstall.exe"},
       false,
       {"DeskTutor.exe"},
       {std::string("TestFlash") + Separator() + "two.swf", "uninstall.exe"}},
  };
  inputs_.OnlyVerified = true;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::RemoveTree(dir_);
    inputs_.Verified = c.verified;
    const auto events = Run();
    if (c.finishes) {
      EXPECT_EQ(events, kSuccessEvents);
    } else {
      EXPECT_EQ(events, damaged);
      EXPECT_FALSE(Log());
      EXPECT_TRUE(shell_.saves.empty());
    }
    for (const auto& f : c.present) EXPECT_TRUE(fs::FileExists(In(f))) << f;
    for (const auto& f : c.absent) EXPECT_FALSE(fs::FileExists(In(f))) << f;
    shell_.saves.clear();
    PutDownloads();  // a finished run removed them
  }
}

TEST_F(Completion, OtherFailuresHideTheFinishedControlsAndKeepTheWorkingFolder) {
  const std::vector<std::string> failed_after_copies = {"grey cancel",
                                                        "+10000000",
                                                        "stage 300",
                                                        "stage 600",
                                                        "+6000000",
                                                        "stage 900",
                                                        "+2000000",
                                                        "hide finished controls",
                                                        "message 文件已损坏，安装失败！"};

  shell_.fail_create = true;
  EXPECT_EQ(Run(), failed_after_copies);
  EXPECT_FALSE(Log());
  EXPECT_TRUE(fs::DirectoryExists(inputs_.WorkDir));

  // A log that can't be written: a folder stands where it should go.
  shell_.fail_create = false;
  ASSERT_TRUE(fs::MakeDirectories(In("uninstall.log")));
  EXPECT_EQ(Run(), failed_after_copies);
  EXPECT_TRUE(fs::DirectoryExists(inputs_.WorkDir));
  EXPECT_EQ(shell_.saves.size(), 3u);  // done before the failure, and kept
}

// Writes that fail for any reason but a target that can't be replaced end
// the installation as a failure, never a success with files missing.
TEST_F(Completion, WriteFailuresEndTheInstallation) {
  const std::vector<std::string> failed_extracting = {"grey cancel", "+10000000", "stage 300",
                                                      "hide finished controls",
                                                      "message 文件已损坏，安装失败！"};
  const std::vector<std::string> failed_copying = {"grey cancel", "+10000000", "stage 300",
                                                   "hide finished controls",
                                                   "message 文件已损坏，安装失败！"};
  struct Case {
    const char* what;
    const char* blocked;  // a folder where the file's side name must go
    std::vector<std::string> events;
  } cases[] = {
      {"an archive entry", "DeskTutor.exe.zentivo-part", failed_extracting},
      {"the database", "data/Maindb.db.zentivo-part", failed_copying},
      {"the uninstaller", "uninstall.exe.zentivo-part", failed_copying},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::RemoveTree(dir_);
    ASSERT_TRUE(fs::MakeDirectories(dir_ + Separator() + c.blocked));
    EXPECT_EQ(Run(), c.events);
    EXPECT_FALSE(Log());
    EXPECT_TRUE(shell_.saves.empty());
    EXPECT_TRUE(fs::FileExists(inputs_.WorkDir + Separator() + "setup.zip"));
  }
}

TEST_F(Completion, AReadOnlyCopyTargetIsLeftAsItIs) {
  ASSERT_TRUE(fs::MakeDirectories(In("data")));
  const std::string db = In("data") + Separator() + "Maindb.db";
  testing::WriteFileOrFail(db, "the user's own");
  ASSERT_TRUE(fs::SetAttributes(db, fs::kAttrReadOnly));
  EXPECT_EQ(Run(), kSuccessEvents);
  EXPECT_EQ(*fs::ReadWholeFile(db), "the user's own");
}

// Closing the window while an archive is extracted stops it at the next
// block: no message, no half file, and the downloads stay for the next run.
TEST_F(Completion, ClosingDuringExtractionStopsIt) {
  Put("setup.zip", testing::ZipBuilder()
                       .File("DeskTutor.exe", "MZ tutor")
                       .File("big.bin", testing::NoiseBytes(3 * 1024 * 1024, 5), 0)
                       .File("after.txt", "never")
                       .Build());
  EXPECT_EQ(Run(4), (std::vector<std::string>{"grey cancel", "+10000000", "stage 300"}));
  EXPECT_EQ(testing::ReadTree(dir_),
            (Tree{{"DeskTutor.exe", "MZ tutor"}, {"data/", ""}, {"Menu/", ""}}));
  EXPECT_TRUE(fs::FileExists(inputs_.WorkDir + Separator() + "setup.zip"));
  EXPECT_FALSE(Log());
}

// A drive that runs full while the archives are extracted or the files are
// copied: the message says so, no log claims an installation, and the
// downloads stay. Runs on the small drive that tests/support/with-small-disk
// mounts.
TEST_F(Completion, FullDiskEndsWithTheDiskFullMessage) {
  const std::string small = platform::GetEnv("ZENTIVO_SMALL_DISK");
  if (small.empty())
    GTEST_SKIP() << "needs a small drive: tests/support/with-small-disk";
  const std::vector<std::string> failed = {"grey cancel", "+10000000", "stage 300",
                                           "hide finished controls",
                                           "message 磁盘空间不足，安装失败！"};
  struct Case {
    const char* what;
    int64_t archived;  // bytes of the archive's big entry
    int64_t database;  // bytes of Maindb.db
  } cases[] = {
      {"extracting", 3 * 1024 * 1024, 10},
      {"copying the database", 1536 * 1024, 1024 * 1024},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dir_ = small + Separator() + "QUENXRPX_Word2007";
    testing::RemoveTree(dir_);
    Put("setup.zip", testing::ZipBuilder()
                         .File("DeskTutor.exe", "MZ tutor")
                         .File("big.bin", testing::NoiseBytes(c.archived, 3), 0)
                         .Build());
    Put("Maindb.db", testing::NoiseBytes(c.database, 4));
    EXPECT_EQ(Run(), failed);
    EXPECT_FALSE(Log());
    EXPECT_TRUE(shell_.saves.empty());
    for (const auto& [path, bytes] : testing::ReadTree(dir_))
      EXPECT_EQ(path.find(".zentivo-part"), std::string::npos) << path;
    EXPECT_FALSE(fs::FileExists(In("data") + Separator() + "Maindb.db"));
    EXPECT_TRUE(fs::FileExists(inputs_.WorkDir + Separator() + "setup.zip"));
    EXPECT_TRUE(fs::FileExists(inputs_.WorkDir + Separator() + "Maindb.db"));
  }
}

}  // namespace
}  // namespace zentivo::install
