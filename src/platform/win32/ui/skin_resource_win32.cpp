#include "platform/win32/ui/skin_resource_win32.h"

#include <cstring>

#include "platform/win32/wide.h"
#include "ui/skin_picture.h"

namespace zentivo::win32 {

HBITMAP LoadSkinBitmap(std::string_view name) {
  const HMODULE module = GetModuleHandleW(nullptr);
  const std::wstring wide = Widen(name);
  HRSRC found = FindResourceW(module, wide.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (!found)
    return nullptr;
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data)
    return nullptr;
  const auto bmp = ui::UnpackSkinPicture(
      std::string_view(static_cast<const char*>(data), SizeofResource(module, found)));
  const auto parts = bmp ? ui::SplitBitmap(*bmp) : std::nullopt;
  if (!parts)
    return nullptr;
  void* bits = nullptr;
  HBITMAP bitmap =
      CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(parts->info.data()),
                       DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap)
    return nullptr;
  std::memcpy(bits, parts->bits.data(), parts->bits.size());
  return bitmap;
}

}  // namespace zentivo::win32
