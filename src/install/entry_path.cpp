#include "install/entry_path.h"

#include <array>
#include <vector>

#include "platform/text.h"

namespace zentivo::install {
namespace {

constexpr std::string_view kForbiddenChars = "<>:\"|?*";

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  }
  return u;
}

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

bool IsAcceptablePart(std::string_view part) {
  for (char c : part) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F || kForbiddenChars.find(c) != std::string_view::npos)
      return false;
  }
  if (part.back() == '.' || part.back() == ' ')
    return false;
  return !IsReservedDeviceName(part);
}

}  // namespace

bool IsReservedDeviceName(std::string_view part) {
  std::string stem(part.substr(0, part.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  stem = Upper(stem);
  static const std::array<std::string_view, 6> kNames = {"CON", "PRN",    "AUX",
                                                         "NUL", "CONIN$", "CONOUT$"};
  for (auto name : kNames) {
    if (stem == name)
      return true;
  }
  if (stem.size() < 4 || (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0))
    return false;
  const std::string_view digit = std::string_view(stem).substr(3);
  // Windows also takes the superscript digits one to three as port numbers.
  return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xC2\xB9" ||
         digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

std::optional<std::string> DecodeEntryName(const ZipEntry& entry) {
  if (entry.flags & kFlagUtf8Name) {
    if (!text::IsValidUtf8(entry.raw_name))
      return std::nullopt;
    return entry.raw_name;
  }
  // Decode before splitting: a GBK character's second byte may be 0x5C, the
  // backslash, and must not split the name.
  return text::GbkToUtf8(entry.raw_name);
}

std::optional<std::string> SafeRelativePath(std::string_view name) {
  if (name.size() >= 2 && name[1] == ':' &&
      ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')))
    name.remove_prefix(2);
  std::string path;
  size_t i = 0;
  while (i < name.size()) {
    if (IsSeparator(name[i])) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < name.size() && !IsSeparator(name[j])) ++j;
    const std::string_view part = name.substr(i, j - i);
    i = j;
    if (part == ".")
      continue;
    if (part == ".." || !IsAcceptablePart(part))
      return std::nullopt;
    if (!path.empty())
      path += '\\';
    path += part;
  }
  if (path.empty())
    return std::nullopt;
  return path;
}

}  // namespace zentivo::install
