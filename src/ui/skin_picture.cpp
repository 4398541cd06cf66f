#include "ui/skin_picture.h"

#include <zlib.h>

#include <cstdint>
#include <cstdlib>

namespace zentivo::ui {
namespace {

// The largest picture the skin could hold: 4096 x 4096 at 32 bits.
constexpr uint32_t kMaxPicture = 64u << 20;
constexpr size_t kFileHeader = 14;
constexpr size_t kInfoHeader = 40;

uint32_t Le32(std::string_view s, size_t at) {
  const auto* u = reinterpret_cast<const unsigned char*>(s.data() + at);
  return static_cast<uint32_t>(u[0]) | (static_cast<uint32_t>(u[1]) << 8) |
         (static_cast<uint32_t>(u[2]) << 16) | (static_cast<uint32_t>(u[3]) << 24);
}

uint16_t Le16(std::string_view s, size_t at) {
  const auto* u = reinterpret_cast<const unsigned char*>(s.data() + at);
  return static_cast<uint16_t>(u[0] | (u[1] << 8));
}

}  // namespace

std::optional<std::string> UnpackSkinPicture(std::string_view stored) {
  if (stored.size() < 4)
    return std::nullopt;
  const uint32_t size = Le32(stored, 0);
  if (size < kFileHeader + kInfoHeader || size > kMaxPicture)
    return std::nullopt;
  std::string bmp(size, '\0');
  uLongf got = size;
  const int rc = uncompress(reinterpret_cast<Bytef*>(bmp.data()), &got,
                            reinterpret_cast<const Bytef*>(stored.data() + 4),
                            static_cast<uLong>(stored.size() - 4));
  if (rc != Z_OK || got != size || bmp.compare(0, 2, "BM") != 0)
    return std::nullopt;
  return bmp;
}

std::optional<BitmapParts> SplitBitmap(std::string_view bmp) {
  if (bmp.size() < kFileHeader + kInfoHeader || bmp.substr(0, 2) != "BM")
    return std::nullopt;
  const uint32_t bits_at = Le32(bmp, 10);
  const uint32_t info_size = Le32(bmp, kFileHeader);
  if (info_size < kInfoHeader || info_size > bmp.size() - kFileHeader || bits_at > bmp.size() ||
      bits_at < kFileHeader + info_size)
    return std::nullopt;
  BitmapParts p;
  p.width = static_cast<int32_t>(Le32(bmp, kFileHeader + 4));
  p.height = static_cast<int32_t>(Le32(bmp, kFileHeader + 8));
  p.bits_per_pixel = Le16(bmp, kFileHeader + 14);
  const uint32_t compression = Le32(bmp, kFileHeader + 16);
  if (compression != 0 || p.width <= 0 || p.height == 0 || p.width > 4096 ||
      std::abs(p.height) > 4096 || p.bits_per_pixel < 1 || p.bits_per_pixel > 32)
    return std::nullopt;
  const size_t stride = ((static_cast<size_t>(p.width) * p.bits_per_pixel + 31) / 32) * 4;
  const size_t rows = static_cast<size_t>(std::abs(p.height));
  if (stride * rows > bmp.size() - bits_at)
    return std::nullopt;
  p.info = bmp.substr(kFileHeader, bits_at - kFileHeader);
  p.bits = bmp.substr(bits_at, stride * rows);
  return p;
}

}  // namespace zentivo::ui
