// Packing into the signature of crafted signed images: where the block
// lands, what stays as it was, and the tables the signing tools' checks
// look at.
#include <gtest/gtest.h>

#include "config/config_block.h"
#include "pack/authenticode.h"
#include "pack/block_writer.h"
#include "pack/der.h"
#include "pack/installer_image.h"
#include "pack/pe_image.h"
#include "pack/signed_pe.h"

namespace zentivo::pack {
namespace {

using testing::Attribute;
using testing::FakeSignedData;
using testing::SignedPe;

constexpr std::string_view kOurOid(
    "\x69\x82\xDB\xDE\xEB\xA0\xCB\x94\x82\x86\xC7\x8F\xB2\xDB\xB0\xF8\xB8\x8F\xC9\x4D", 20);
// A timestamp another tool added, which packing must keep.
constexpr std::string_view kTimestampOid("\x2B\x06\x01\x04\x01\x82\x37\x03\x03\x01", 10);

std::string Pack(std::string_view file, std::string_view xml) {
  std::string error;
  const auto image = InstallerImage::Read(file, error);
  EXPECT_TRUE(image) << error;
  return image ? image->Packed(config::MakeBlock(xml)) : std::string();
}

struct Table {
  uint32_t offset = 0, size = 0, length = 0;
  std::string_view der;
};

Table TableOf(std::string_view file) {
  const auto dir = pe::FindSecurityDirectory(file);
  EXPECT_TRUE(dir);
  Table t{dir->table_offset, dir->table_size, pe::ReadLe32(file, dir->table_offset), {}};
  t.der = file.substr(t.offset + 8);
  return t;
}

// The unauthenticated attributes of the only signer, as elements.
std::vector<der::Element> UnsignedAttributes(std::string_view signature) {
  auto e = der::ReadElement(signature);
  auto info = der::ReadChildren(e->content);
  auto inner = der::ReadChildren((*info)[1].content);
  auto sd = der::ReadChildren((*inner)[0].content);
  auto signers = der::ReadChildren(sd->back().content);
  auto signer = der::ReadChildren(signers->back().content);
  EXPECT_EQ(signer->back().tag, der::ContextTag(1));
  return *der::ReadChildren(signer->back().content);
}

TEST(SignedPack, TheBlockEndsTheFileInsideAWholeTable) {
  // Block lengths over two full rounds of the padding, and across the
  // lengths where the DER's length fields grow a byte.
  for (size_t n :
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 60, 61, 62, 63, 64, 65, 66, 67, 200, 65400, 65530}) {
    const std::string xml(n, 'x');
    const std::string signed_file = SignedPe(FakeSignedData());
    const std::string packed = Pack(signed_file, xml);
    const Table t = TableOf(packed);
    EXPECT_EQ(t.offset, TableOf(signed_file).offset) << n;
    EXPECT_EQ(size_t{t.offset} + t.size, packed.size()) << n;
    EXPECT_EQ(t.size % 8, 0u) << n;
    EXPECT_EQ(t.length, t.size) << n;
    const auto whole = der::ReadElement(t.der);
    ASSERT_TRUE(whole) << n;
    EXPECT_EQ(whole->whole.size(), t.der.size()) << n << ": bytes after the DER";
    EXPECT_EQ(config::FindBlock(packed), packed.size() - n - 4) << n;
    EXPECT_EQ(packed.substr(packed.size() - n - 4, n), xml) << n;
    EXPECT_EQ(pe::ReadLe32(packed, testing::kCraftedChecksum),
              pe::Checksum(packed, testing::kCraftedChecksum))
        << n;
    // Everything before the table is the signed file's, but for the
    // directory's size and the checksum, which the signature doesn't cover.
    std::string head = packed.substr(0, t.offset);
    std::string want = signed_file.substr(0, t.offset);
    for (auto* s : {&head, &want}) {
      s->replace(testing::kCraftedSecurityEntry + 4, 4, 4, '\0');
      s->replace(testing::kCraftedChecksum, 4, 4, '\0');
    }
    EXPECT_EQ(head, want) << n;
  }
}

TEST(SignedPack, PackingAgainReplacesTheBlockAndKeepsOtherAttributes) {
  const std::string timestamp = Attribute(kTimestampOid, "a countersignature");
  const std::string signed_file = SignedPe(FakeSignedData(timestamp));
  const std::string first = Pack(signed_file, "<first/>");
  const std::string second = Pack(first, "<second, longer/>");
  const auto attributes = UnsignedAttributes(TableOf(second).der);
  ASSERT_EQ(attributes.size(), 2u);
  EXPECT_EQ(attributes[0].whole, timestamp);
  const auto ours = der::ReadChildren(attributes[1].content);
  EXPECT_EQ((*ours)[0].content, kOurOid);
  EXPECT_EQ(Pack(second, "<first/>"), first);
  EXPECT_EQ(second.substr(second.size() - 21, 17), "<second, longer/>");
}

TEST(SignedPack, TheSignedPartsStayTheirBytes) {
  const std::string signature = FakeSignedData();
  const std::string packed = Pack(SignedPe(signature), "<a/>");
  const std::string_view packed_der = TableOf(packed).der;
  // SignedData before its signer infos (the signed content, the
  // certificates) and the signer info up to its signature value are found
  // in the packed signature as they were.
  auto e = der::ReadElement(signature);
  auto info = der::ReadChildren(e->content);
  auto inner = der::ReadChildren((*info)[1].content);
  auto sd = der::ReadChildren((*inner)[0].content);
  const std::string_view sd_front((*inner)[0].content.data(),
                                  sd->back().whole.data() - (*inner)[0].content.data());
  const std::string_view signer = der::ReadChildren(sd->back().content)->back().content;
  EXPECT_NE(packed_der.find(sd_front), std::string_view::npos);
  EXPECT_NE(packed_der.find(signer), std::string_view::npos);
}

TEST(SignedPack, AnUnsignedInstallerIsPackedAsBefore) {
  for (const std::string& file :
       {testing::UnsignedPe(), std::string("not a PE at all"), std::string("MZ"), std::string()}) {
    EXPECT_EQ(Pack(file, "<a/>"), file + config::MakeBlock("<a/>"));
    EXPECT_EQ(Pack(file + config::MakeBlock("<?xml old?>"), "<a/>"),
              file + config::MakeBlock("<a/>"));
  }
}

TEST(SignedPack, ABlockAppendedAfterTheTableIsDropped) {
  const std::string signed_file = SignedPe(FakeSignedData());
  const std::string appended = signed_file + config::MakeBlock("<?xml version=\"1.0\"?><AppInfo/>");
  EXPECT_EQ(Pack(appended, "<a/>"), Pack(signed_file, "<a/>"));
}

}  // namespace
}  // namespace zentivo::pack
