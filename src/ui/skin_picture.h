// A skin picture as the installer carries it (tools/skin/deflate-bitmap):
// the BMP file's length, 4 bytes little-endian, then the file deflated with
// zlib. The window host unpacks each once and makes its bitmap from the
// parts found here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zentivo::ui {

// The BMP file; nullopt when `stored` is cut, damaged, or unpacks to a
// length other than the one it states or to no BMP file.
std::optional<std::string> UnpackSkinPicture(std::string_view stored);

struct BitmapParts {
  std::string_view info;  // BITMAPINFOHEADER and any colour table
  std::string_view bits;  // the rows, bottom-up unless the height is negative
  int width = 0, height = 0, bits_per_pixel = 0;
};

// The parts of an uncompressed BMP file of 1 to 32 bits per pixel; nullopt
// when its headers don't describe the bytes it holds.
std::optional<BitmapParts> SplitBitmap(std::string_view bmp);

}  // namespace zentivo::ui
