#include <gtest/gtest.h>

#include <array>

#include "extract_test_support.h"
#include "install/byte_source.h"
#include "install/extract_package.h"
#include "install/zip_extractor.h"
#include "platform/fs.h"
#include "zip_builder.h"

namespace zentivo::install {
namespace {

using Tree = std::map<std::string, std::string>;
using testing::ZipBuilder;
using testing::ZipItem;

class Extract : public ::testing::Test {
 protected:
  std::string Dest() const { return dir_ / "dest"; }
  std::string Archive(const std::string& bytes, const std::string& name = "a.zip") {
    const std::string path = dir_ / name;
    testing::WriteFileOrFail(path, bytes);
    return path;
  }
  void ExtractBytes(const std::string& bytes, const std::string& dest) {
    ExtractPackage(Archive(bytes), dest, [this] { return ++pumps_ > 0; });
  }
  Tree Result() const { return testing::ReadTree(Dest()); }

  testing::TempDir dir_;
  int pumps_ = 0;
};

TEST_F(Extract, RecreatesSubFoldersStoredAndDeflated) {
  const std::string big = testing::NoiseBytes(700 * 1024, 1);
  const auto zip = ZipBuilder()
                       .File("readme.txt", "hello hello hello hello")
                       .Folder("Images/")
                       .File("Images/logo.bin", big, 0)
                       .File("TestFlash/a/b/deep.txt", std::string(100000, 'x'))
                       .File("empty.txt", "")
                       .Folder("Menu/")
                       .Build();
  ExtractBytes(zip, Dest());
  EXPECT_EQ(Result(), (Tree{{"readme.txt", "hello hello hello hello"},
                            {"Images/", ""},
                            {"Images/logo.bin", big},
                            {"TestFlash/", ""},
                            {"TestFlash/a/", ""},
                            {"TestFlash/a/b/", ""},
                            {"TestFlash/a/b/deep.txt", std::string(100000, 'x')},
                            {"empty.txt", ""},
                            {"Menu/", ""}}));
  // Between the six entries and between the blocks of the big ones.
  EXPECT_GE(pumps_, 6 + 3);
}

TEST_F(Extract, TrailingSeparatorOnTheDestinationChangesNothing) {
  const auto zip = ZipBuilder().File("sub/x.txt", "x").Build();
  for (const char* suffix : {"", "\\", "/"}) {
    testing::RemoveTree(Dest());
    ExtractBytes(zip, Dest() + suffix);
    EXPECT_EQ(Result(), (Tree{{"sub/", ""}, {"sub/x.txt", "x"}})) << "suffix '" << suffix << "'";
  }
}

TEST_F(Extract, ReplacesExistingFilesAndTheLaterArchiveWins) {
  ExtractBytes(ZipBuilder().File("a.txt", std::string(5000, 'o')).File("keep.txt", "k").Build(),
               Dest());
  ExtractBytes(ZipBuilder().File("a.txt", "new").Build(), Dest());
  EXPECT_EQ(Result(), (Tree{{"a.txt", "new"}, {"keep.txt", "k"}}));
  ExtractBytes(ZipBuilder().File("a.txt", "new").Build(), Dest());  // the same one twice
  EXPECT_EQ(Result(), (Tree{{"a.txt", "new"}, {"keep.txt", "k"}}));
}

TEST_F(Extract, DataDescriptorsWithAndWithoutTheirSignature) {
  ZipItem with{.name = "with.txt", .data = std::string(3000, 'w'), .data_descriptor = true};
  ZipItem without{.name = "without.txt",
                  .data = "plain",
                  .method = 0,
                  .data_descriptor = true,
                  .descriptor_signature = false};
  ExtractBytes(ZipBuilder().Add(with).Add(without).File("after.txt", "after").Build(), Dest());
  EXPECT_EQ(Result(), (Tree{{"with.txt", std::string(3000, 'w')},
                            {"without.txt", "plain"},
                            {"after.txt", "after"}}));
}

TEST_F(Extract, WrongChecksOrLengthsDiscardTheEntryAndGoOn) {
  ZipItem bad_crc{.name = "bad.txt", .data = "payload", .crc = 0x12345678};
  ZipItem bad_stored{.name = "stored.txt", .data = "payload", .method = 0, .crc = 1};
  // Inflates to more than the directory says: nothing past the declared
  // size may be written, and the entry is dropped.
  ZipItem longer{.name = "longer.txt", .data = std::string(600000, 'z'), .declared_size = 10};
  ZipItem shorter{.name = "shorter.txt", .data = "abc", .declared_size = 4};
  // An older copy of a damaged entry survives rather than being lost.
  ASSERT_TRUE(fs::MakeDirectories(Dest()));
  testing::WriteFileOrFail(Dest() + testing::Separator() + "bad.txt", "old");
  const auto zip = ZipBuilder()
                       .Add(bad_crc)
                       .Add(bad_stored)
                       .Add(longer)
                       .Add(shorter)
                       .File("good.txt", "good")
                       .Build();
  ExtractBytes(zip, Dest());
  EXPECT_EQ(Result(), (Tree{{"bad.txt", "old"}, {"good.txt", "good"}}));
}

TEST_F(Extract, AppliesStoredTimeAndAttributes) {
  ZipItem ro{.name = "ro.txt", .data = "r", .external_attributes = 0x21};
  ZipItem hidden{.name = "hidden.txt", .data = "h", .external_attributes = 0x22 | 0x04};
  // Made on Unix: mode 0444 in the high half means read-only.
  ZipItem unix_ro{.name = "unix.txt",
                  .data = "u",
                  .version_made_by = 0x0314,
                  .external_attributes = 0100444u << 16};
  ZipItem unix_rw{.name = "rw.txt",
                  .data = "w",
                  .version_made_by = 0x0314,
                  .external_attributes = 0100644u << 16};
  ExtractBytes(ZipBuilder().Add(ro).Add(hidden).Add(unix_ro).Add(unix_rw).Build(), Dest());
  const std::string d = Dest() + testing::Separator();
  const auto t = fs::GetModifiedTime(d + "ro.txt");
  ASSERT_TRUE(t);
  EXPECT_EQ((std::array{t->year, t->month, t->day, t->hour, t->minute, t->second}),
            (std::array{2013, 5, 17, 10, 20, 30}));
  EXPECT_TRUE(*fs::GetAttributes(d + "ro.txt") & fs::kAttrReadOnly);
  EXPECT_TRUE(*fs::GetAttributes(d + "unix.txt") & fs::kAttrReadOnly);
  EXPECT_FALSE(*fs::GetAttributes(d + "rw.txt") & fs::kAttrReadOnly);
  EXPECT_FALSE(*fs::GetAttributes(d + "hidden.txt") & fs::kAttrReadOnly);
#ifdef _WIN32
  EXPECT_EQ(*fs::GetAttributes(d + "hidden.txt") & 0x27u, 0x26u);
#endif
}

TEST_F(Extract, ReadOnlyTargetIsLeftAndTheRestIsWritten) {
  ASSERT_TRUE(fs::MakeDirectories(Dest()));
  const std::string locked = Dest() + testing::Separator() + "locked.txt";
  testing::WriteFileOrFail(locked, "original");
  ASSERT_TRUE(fs::SetAttributes(locked, fs::kAttrReadOnly));
  ExtractBytes(ZipBuilder().File("locked.txt", "replacement").File("next.txt", "n").Build(),
               Dest());
  EXPECT_EQ(Result(), (Tree{{"locked.txt", "original"}, {"next.txt", "n"}}));
}

TEST_F(Extract, TargetsThatCantBeCreatedAreSkipped) {
  // "clash" is a file, so "clash/inner.txt" has no folder to go to; "dir" is
  // a folder, so the file "dir" can't replace it.
  const auto zip = ZipBuilder()
                       .File("clash", "file")
                       .File("clash/inner.txt", "lost")
                       .Folder("dir/")
                       .File("dir", "lost too")
                       .File("last.txt", "last")
                       .Build();
  ExtractBytes(zip, Dest());
  EXPECT_EQ(Result(), (Tree{{"clash", "file"}, {"dir/", ""}, {"last.txt", "last"}}));
}

TEST_F(Extract, UnreadableEntriesAreSkippedNeverWrittenWrong) {
  ZipItem encrypted{.name = "secret.txt", .data = "s", .flags = 1};
  ZipItem imploded{.name = "imploded.txt", .data = "i", .method = 6};
  ZipItem bzip2{.name = "bzip2.txt", .data = "b", .method = 12};
  ZipItem zip64{.name = "zip64.txt", .data = "z", .method = 0, .declared_size = 0xFFFFFFFF};
  ExtractBytes(ZipBuilder()
                   .Add(encrypted)
                   .Add(imploded)
                   .Add(bzip2)
                   .Add(zip64)
                   .File("plain.txt", "p")
                   .Build(),
               Dest());
  EXPECT_EQ(Result(), (Tree{{"plain.txt", "p"}}));
}

TEST_F(Extract, NamesAreGbkUnlessFlaggedUtf8) {
  // 乗 is 0x81 0x5C in GBK: its second byte is a backslash and must not
  // split the name.
  ZipItem gbk{.name = "\xD6\xD0\xCE\xC4\\\x81\x5C\xB1\xED.txt", .data = "gbk"};
  ZipItem utf8{.name = "文档/说明.txt", .data = "utf8", .flags = 0x0800};
  ZipItem bad_utf8{.name = "bad\xFF.txt", .data = "x", .flags = 0x0800};
  ExtractBytes(ZipBuilder().Add(gbk).Add(utf8).Add(bad_utf8).Build(), Dest());
  EXPECT_EQ(
      Result(),
      (Tree{{"中文/", ""}, {"中文/乗表.txt", "gbk"}, {"文档/", ""}, {"文档/说明.txt", "utf8"}}));
}

TEST_F(Extract, FindsTheEndRecordBehindAComment) {
  // The comment holds a fake end-record signature that points nowhere.
  std::string comment = "packed by the build PK\x05\x06 trailing words";
  comment += std::string(40000, '#');
  ExtractBytes(ZipBuilder().File("a.txt", "a").Comment(comment).Build(), Dest());
  EXPECT_EQ(Result(), (Tree{{"a.txt", "a"}}));
}

TEST_F(Extract, RedundantZip64EndRecordsAreIgnored) {
  // As Info-ZIP writes them for a pipe: a ZIP64 end record and locator in
  // front of a classic end record whose fields are all valid.
  auto zip = ZipBuilder().File("piped.txt", "from a pipe").Build();
  zip.insert(testing::EndRecordOffset(zip), std::string("PK\x06\x07", 4) + std::string(16, '\0'));
  ExtractBytes(zip, Dest());
  EXPECT_EQ(Result(), (Tree{{"piped.txt", "from a pipe"}}));
}

TEST_F(Extract, NoPartialFileIsLeftBehind) {
  ZipItem bad_crc{.name = "x/bad.bin", .data = testing::NoiseBytes(900000, 3), .crc = 7};
  ExtractBytes(ZipBuilder().Add(bad_crc).Build(), Dest());
  EXPECT_EQ(Result(), (Tree{{"x/", ""}}));
}

// Failures of the archive as a whole: each raises, and what was written
// before stays.
TEST_F(Extract, DamagedArchivesRaise) {
  const auto good =
      ZipBuilder().File("first.txt", "1").File("second.txt", std::string(9000, '2')).Build();
  const size_t end = testing::EndRecordOffset(good);
  const size_t dir = testing::CentralDirectoryOffset(good);

  auto corrupt_second = good;
  {
    // The second entry's deflated data replaced by an invalid block type.
    const size_t second_local = good.find(std::string("PK\x03\x04", 4), 1);
    corrupt_second[second_local + 30 + 10] = '\xFF';
  }
  auto bad_directory = good;
  bad_directory[dir] = 'X';
  auto directory_outside = good;
  testing::PutLe32(directory_outside, end + 16, static_cast<uint32_t>(good.size()));
  auto zip64 = good;
  testing::PutLe32(zip64, end + 16, 0xFFFFFFFF);
  zip64.insert(end, std::string("PK\x06\x07", 4) + std::string(16, '\0'));
  auto two_disks = good;
  testing::PutLe16(two_disks, end + 4, 1);
  auto bad_local = good;
  bad_local[0] = 'Q';
  auto entry_past_directory = good;
  testing::PutLe32(entry_past_directory, dir + 42, static_cast<uint32_t>(dir));

  struct Case {
    const char* what;
    std::string bytes;
    bool first_written;
  };
  const Case cases[] = {
      {"empty file", "", false},
      {"not a zip", std::string(5000, 'M'), false},
      {"truncated download", good.substr(0, good.size() - 10), false},
      {"cut in the middle", good.substr(0, good.size() / 2), false},
      {"directory signature damaged", bad_directory, false},
      {"directory outside the file", directory_outside, false},
      {"ZIP64", zip64, false},
      {"multi-part", two_disks, false},
      {"entry offset in the directory", entry_past_directory, false},
      {"local header damaged", bad_local, false},
      {"corrupt deflate data", corrupt_second, true},
  };
  for (const auto& c : cases) {
    testing::RemoveTree(Dest());
    EXPECT_THROW(ExtractBytes(c.bytes, Dest()), EExtractFailure) << c.what;
    EXPECT_EQ(fs::FileExists(Dest() + testing::Separator() + "first.txt"), c.first_written)
        << c.what;
    EXPECT_FALSE(fs::FileExists(Dest() + testing::Separator() + "second.txt")) << c.what;
  }
  EXPECT_THROW(ExtractPackage(dir_ / "missing.zip", Dest(), {}), EExtractFailure);
  EXPECT_THROW(ExtractPackage(Archive(good), "", {}), EExtractFailure);
}

// The offset of the central directory record of entry `index`.
size_t CentralEntry(const std::string& zip, int index) {
  size_t at = testing::CentralDirectoryOffset(zip);
  for (int i = 0; i < index; ++i) {
    const auto le16 = [&zip](size_t p) {
      return static_cast<size_t>(static_cast<unsigned char>(zip[p]) |
                                 static_cast<unsigned char>(zip[p + 1]) << 8);
    };
    at += 46 + le16(at + 28) + le16(at + 30) + le16(at + 32);
  }
  return at;
}

// Entries that share their data, or data that runs into the directory:
// archives built to write far more than they hold. None of them writes a
// byte.
TEST_F(Extract, OverlappingEntriesAreDamage) {
  const std::string kernel(1 << 20, 'A');  // deflates to about a kilobyte
  ZipBuilder bomb_builder;
  for (int i = 0; i < 40; ++i) bomb_builder.File("bomb" + std::to_string(i) + ".txt", kernel);
  auto bomb = bomb_builder.Build();
  for (int i = 1; i < 40; ++i) testing::PutLe32(bomb, CentralEntry(bomb, i) + 42, 0);

  const auto good = ZipBuilder()
                        .File("first.txt", std::string(3000, '1'))
                        .File("second.txt", std::string(3000, '2'))
                        .File("third.txt", "3")
                        .Build();
  auto same_data = good;
  testing::PutLe32(same_data, CentralEntry(good, 1) + 42, 0);
  // The first entry's data said to run on over the second's local header,
  // as a quoted overlap has it.
  auto quoted = good;
  testing::PutLe32(quoted, CentralEntry(good, 0) + 20, 200);
  auto into_directory = good;
  testing::PutLe32(into_directory, CentralEntry(good, 2) + 20, 100);

  const std::pair<const char*, std::string> cases[] = {
      {"forty entries on one deflated kernel", bomb},
      {"two entries on the same data", same_data},
      {"an entry's data over the next local header", quoted},
      {"the last entry's data into the directory", into_directory},
  };
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    testing::RemoveTree(Dest());
    EXPECT_THROW(ExtractBytes(bytes, Dest()), EExtractFailure);
    EXPECT_TRUE(Result().empty());
  }
  testing::RemoveTree(Dest());
  ExtractBytes(good, Dest());
  EXPECT_EQ(Result().size(), 3u);
}

// The window closing stops extraction at the next block, with no half file.
TEST_F(Extract, APumpThatSaysStopEndsItAtTheNextBlock) {
  const auto zip = ZipBuilder()
                       .File("small.txt", "s")
                       .File("big.bin", testing::NoiseBytes(2 * 1024 * 1024, 2), 0)
                       .File("late.txt", "l")
                       .Build();
  int pumps = 0;
  EXPECT_THROW(ExtractPackage(Archive(zip), Dest(), [&pumps] { return ++pumps < 4; }),
               EExtractStopped);
  EXPECT_EQ(Result(), (Tree{{"small.txt", "s"}}));
}

// A file that can't be written where nothing stands in its way is a
// failure to write, never an entry quietly left out.
TEST_F(Extract, AFailedWriteRaises) {
  ASSERT_TRUE(fs::MakeDirectories(Dest() + testing::Separator() + "a.txt.zentivo-part"));
  try {
    ExtractBytes(ZipBuilder().File("a.txt", "a").File("b.txt", "b").Build(), Dest());
    ADD_FAILURE() << "no EWriteFailure";
  } catch (const EWriteFailure& e) {
    EXPECT_FALSE(e.disk_full());
  }
  EXPECT_FALSE(fs::FileExists(Dest() + testing::Separator() + "b.txt"));
}

TEST(ExtractFromMemory, ReadsTheSameArchiveFromABuffer) {
  testing::TempDir dir;
  const auto zip = ZipBuilder().File("m.txt", "memory").Folder("f/").Build();
  MemoryByteSource source(zip);
  const auto summary = ExtractArchive(source, dir.path(), {});
  EXPECT_EQ(summary.written, 2);
  EXPECT_EQ(testing::ReadTree(dir.path()), (Tree{{"m.txt", "memory"}, {"f/", ""}}));
}

}  // namespace
}  // namespace zentivo::install
