// The skin pictures as the build stores them, unpacked as the window host
// unpacks them, and stored forms that must give no picture.
#include <gtest/gtest.h>
#include <zlib.h>

#include "platform/fs.h"
#include "ui/skin_picture.h"

namespace zentivo::ui {
namespace {

// What tools/skin/deflate-bitmap writes.
std::string Stored(const std::string& bmp, uint32_t stated) {
  uLongf size = compressBound(static_cast<uLong>(bmp.size()));
  std::string z(size, '\0');
  compress2(reinterpret_cast<Bytef*>(z.data()), &size, reinterpret_cast<const Bytef*>(bmp.data()),
            static_cast<uLong>(bmp.size()), 9);
  z.resize(size);
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((stated >> (8 * i)) & 0xFF);
  return out + z;
}

std::string SkinFile(const char* name) {
  return *fs::ReadWholeFile(std::string(ZENTIVO_SOURCE_DIR) + "/src/app/resources/skin/" + name);
}

TEST(SkinPicture, EveryPictureUnpacksToItsBitmap) {
  for (const char* name : {"img1.bmp", "img5.bmp", "img7.bmp", "agreement.bmp"}) {
    const std::string bmp = SkinFile(name);
    const auto back = UnpackSkinPicture(Stored(bmp, static_cast<uint32_t>(bmp.size())));
    ASSERT_TRUE(back) << name;
    EXPECT_EQ(*back, bmp) << name;
    const auto parts = SplitBitmap(*back);
    ASSERT_TRUE(parts) << name;
    EXPECT_EQ(parts->bits_per_pixel, 24) << name;
    EXPECT_EQ(parts->bits.size(),
              ((static_cast<size_t>(parts->width) * 24 + 31) / 32) * 4 * std::abs(parts->height));
  }
}

TEST(SkinPicture, DamagedFormsGiveNoPicture) {
  const std::string bmp = SkinFile("img5.bmp");
  const auto n = static_cast<uint32_t>(bmp.size());
  const std::string good = Stored(bmp, n);
  const std::pair<const char*, std::string> cases[] = {
      {"length stated too small", Stored(bmp, n - 1)},
      {"length stated too large", Stored(bmp, n + 1)},
      {"stream cut", good.substr(0, good.size() / 2)},
      {"length only", good.substr(0, 4)},
      {"nothing", ""},
      {"a huge length", Stored(bmp, 0xFFFFFFF0u)},
      {"not a BMP", Stored("GIF89a" + bmp.substr(6), n)},
  };
  for (const auto& [name, stored] : cases) EXPECT_FALSE(UnpackSkinPicture(stored)) << name;
}

TEST(SkinPicture, HeadersMustDescribeTheBytes) {
  const std::string bmp = SkinFile("img5.bmp");
  std::string cut = bmp.substr(0, bmp.size() - 1);
  std::string wide = bmp;
  wide[18] = '\x7F';  // width 127+
  std::string packed = bmp;
  packed[30] = 1;  // RLE
  std::string offset = bmp;
  offset[10] = '\x01';
  offset[11] = '\x01';
  offset[12] = '\x01';
  for (const std::string* b : {&cut, &wide, &packed, &offset}) EXPECT_FALSE(SplitBitmap(*b));
  EXPECT_TRUE(SplitBitmap(bmp));
}

}  // namespace
}  // namespace zentivo::ui
