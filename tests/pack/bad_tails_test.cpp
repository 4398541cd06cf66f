// Signed installers pack can't put a block into, each refused with its
// reason, and tails the installer's own reader can't read, each refused as
// an unreadable configuration.
#include <gtest/gtest.h>

#include <functional>

#include "config/config_block.h"
#include "config/encrypt.h"
#include "config/read_app_info.h"
#include "config/xml_document.h"
#include "pack/block_writer.h"
#include "pack/installer_image.h"
#include "pack/pe_image.h"
#include "pack/signed_pe.h"
#include "platform/com.h"
#include "platform/fs.h"
#include "support/temp_dir.h"

namespace zentivo::pack {
namespace {

using testing::kCraftedSecurityEntry;

const std::string kXml = config::MakeConfigXml(
    {{"AppName", config::EncodeValue("Zentivo 2014", config::StartKey)},
     {"AppEName", config::EncodeValue("QUENXRPX_Word2007", config::StartKey)}});

std::string Packed() {
  std::string error;
  const std::string signed_file = testing::SignedPe(testing::FakeSignedData());
  return InstallerImage::Read(signed_file, error)->Packed(config::MakeBlock(kXml));
}

uint32_t TableOffset(const std::string& f) {
  return pe::ReadLe32(f, kCraftedSecurityEntry);
}

void SetLe32(std::string& f, size_t at, uint32_t v) {
  pe::WriteLe32(f, at, v);
}

struct BadSigned {
  const char* name;
  std::function<void(std::string&)> damage;
  const char* error;
};

const BadSigned kBadSigned[] = {
    {"cut in the DER", [](std::string& f) { f.resize(f.size() - 40); },
     "the certificate table is truncated"},
    {"cut in the table header", [](std::string& f) { f.resize(TableOffset(f) + 5); },
     "the certificate table is truncated"},
    {"directory longer than the file",
     [](std::string& f) { SetLe32(f, kCraftedSecurityEntry + 4, 0x7FFFFFF0); },
     "the certificate table is truncated"},
    {"dwLength beyond the table",
     [](std::string& f) { SetLe32(f, TableOffset(f), static_cast<uint32_t>(f.size())); },
     "the certificate table is truncated"},
    {"dwLength below its header", [](std::string& f) { SetLe32(f, TableOffset(f), 7); },
     "the certificate table is truncated"},
    {"DER longer than the table",
     [](std::string& f) {
       const size_t der = TableOffset(f) + 8;
       f[der + 2] = '\x7F';  // 30 82 LL LL: the length's high byte
     },
     "the certificate table is truncated"},
    {"offset past the end", [](std::string& f) { SetLe32(f, kCraftedSecurityEntry, 0xFFFFFF00); },
     "the certificate table points outside the file"},
    {"offset into the headers", [](std::string& f) { SetLe32(f, kCraftedSecurityEntry, 8); },
     "the certificate table points outside the file"},
    {"an X.509 entry", [](std::string& f) { f[TableOffset(f) + 6] = '\x01'; },
     "the certificate table holds no PKCS#7 SignedData"},
    {"another content type", [](std::string& f) { f[TableOffset(f) + 8 + 4 + 2 + 8] = '\x01'; },
     "the certificate table holds no PKCS#7 SignedData"},
    {"not DER at all",
     [](std::string& f) {
       const size_t der = TableOffset(f) + 8;
       f.replace(der, f.size() - der, f.size() - der, '\x17');
     },
     "the certificate table holds no PKCS#7 SignedData"},
    {"an indefinite length", [](std::string& f) { f[TableOffset(f) + 8 + 1] = '\x80'; },
     "the certificate table holds no PKCS#7 SignedData"},
    {"two entries",
     [](std::string& f) {
       const uint32_t size = pe::ReadLe32(f, kCraftedSecurityEntry + 4);
       f += std::string(16, '\0');
       SetLe32(f, kCraftedSecurityEntry + 4, size + 16);
     },
     "the certificate table holds more than one signature"},
    {"bytes after the table", [](std::string& f) { f += "trailing"; },
     "bytes follow the certificate table"},
};

TEST(BadSignedTails, PackRefusesEachWithItsReason) {
  for (const auto& c : kBadSigned) {
    std::string file = Packed();
    c.damage(file);
    std::string error;
    EXPECT_FALSE(InstallerImage::Read(file, error)) << c.name;
    EXPECT_EQ(error, c.error) << c.name;
  }
}

// The installer's start-up: the block copied out of its own file, then
// appinfo.xml read. True when that gives it a configuration.
bool InstallerReads(const std::string& file) {
  zentivo::testing::TempDir dir;
  const std::string exe = dir / "ZentivoSetup.exe";
  EXPECT_TRUE(fs::WriteWholeFile(exe, file));
  const std::string work = dir / "temp";
  if (config::ExtractConfigBlock(exe, work) == config::ExtractResult::kFailed)
    return false;
  platform::ComApartment com;
  auto doc = config::CreateXmlDocument();
  return config::ReadAppInfo(*doc, work + "\\" + std::string(config::kAppInfoFileName)).has_value();
}

struct Tail {
  const char* name;
  std::function<void(std::string&)> damage;
};

// Tails of a packed signed installer cut or bent where the reader looks.
const Tail kUnreadable[] = {
    {"cut by one byte", [](std::string& f) { f.pop_back(); }},
    {"cut by four bytes", [](std::string& f) { f.resize(f.size() - 4); }},
    {"cut inside the XML", [](std::string& f) { f.resize(f.size() - 30); }},
    {"cut to the table header", [](std::string& f) { f.resize(TableOffset(f) + 8); }},
    {"cut inside the signature", [](std::string& f) { f.resize(TableOffset(f) + 401); }},
    {"length reaching into the DER",
     [](std::string& f) { SetLe32(f, f.size() - 4, static_cast<uint32_t>(kXml.size() + 40)); }},
    {"length past the file's start",
     [](std::string& f) { SetLe32(f, f.size() - 4, static_cast<uint32_t>(f.size() + 1)); }},
    {"negative length", [](std::string& f) { SetLe32(f, f.size() - 4, 0x80000000u); }},
    {"length shorter than its field", [](std::string& f) { SetLe32(f, f.size() - 4, 3); }},
    {"signed but never packed",
     [](std::string& f) { f = testing::SignedPe(testing::FakeSignedData()); }},
    {"only four bytes", [](std::string& f) { f = "\x08\x00\x00\x00"; }},
};

TEST(BadSignedTails, TheInstallerRefusesWhatItCantRead) {
  ASSERT_TRUE(InstallerReads(Packed()));
  for (const auto& c : kUnreadable) {
    std::string file = Packed();
    c.damage(file);
    EXPECT_FALSE(InstallerReads(file)) << c.name;
    // Over the buffer: any block found lies inside it.
    if (const auto start = config::FindBlock(file)) {
      EXPECT_LE(*start, file.size() - 4) << c.name;
    }
  }
}

TEST(BadSignedTails, TheInstallerReadsItsBlockWhateverTheTableSays) {
  // The reader never looks at the signature: a packed file whose table pack
  // would refuse still carries a block the installer reads.
  for (const char* name : {"offset past the end", "an X.509 entry", "another content type"}) {
    for (const auto& c : kBadSigned) {
      if (std::string_view(c.name) != name)
        continue;
      std::string file = Packed();
      c.damage(file);
      EXPECT_TRUE(InstallerReads(file)) << c.name;
    }
  }
}

}  // namespace
}  // namespace zentivo::pack
