#include "config/file_name.h"

#include <algorithm>

namespace zentivo::config {
namespace {

constexpr std::string_view kReserved = "\\/:<>\"|?*";

// Windows opens these as devices in any folder, whatever follows a dot:
// "CON.txt" and "nul .x" are the console and the null device. The
// superscript digits count as digits here too.
constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN",    "AUX",
                                                      "NUL", "CONIN$", "CONOUT$"};
constexpr std::array<std::string_view, 2> kNumberedDevices = {"COM", "LPT"};
constexpr std::array<std::string_view, 12> kDeviceDigits = {
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return Upper(x) == Upper(y); });
}

// Two hex digits, upper case for U+00XX, lower case for the \xhh escapes
// the packing tool shows values with.
std::string Hex2(unsigned char b, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  return {digits[b >> 4], digits[b & 15]};
}

// The device `name` opens, if any: the part before the first dot, without
// the spaces Windows drops at its end.
std::optional<std::string_view> DeviceName(std::string_view name) {
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  for (auto device : kDevices) {
    if (EqualsIgnoringAsciiCase(base, device))
      return device;
  }
  for (auto device : kNumberedDevices) {
    if (base.size() <= device.size() ||
        !EqualsIgnoringAsciiCase(base.substr(0, device.size()), device))
      continue;
    const std::string_view digit = base.substr(device.size());
    if (std::find(kDeviceDigits.begin(), kDeviceDigits.end(), digit) != kDeviceDigits.end())
      return device;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> SingleFileNameProblem(std::string_view utf8) {
  if (utf8.empty())
    return "it is empty";
  for (char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F)
      return "it holds the control character U+00" + Hex2(u, true);
    if (kReserved.find(c) != std::string_view::npos)
      return "it holds \"" + std::string(1, c) + "\"";
  }
  if (utf8 == "." || utf8 == "..")
    return "\"" + std::string(utf8) + "\" names a folder, not a name in it";
  if (utf8.back() == '.')
    return "it ends in a dot, which Windows drops";
  if (utf8.back() == ' ')
    return "it ends in a space, which Windows drops";
  if (const auto device = DeviceName(utf8))
    return "Windows opens it as the device " + std::string(*device);
  return std::nullopt;
}

std::optional<FileNameViolation> FindFileNameViolation(const TAppInfo& info) {
  for (const auto& field : kFileNameFields) {
    const std::string& value = info.*field.member;
    if (auto reason = SingleFileNameProblem(value))
      return FileNameViolation{field.name, value, std::move(*reason)};
  }
  return std::nullopt;
}

std::string Describe(const FileNameViolation& violation) {
  std::string shown;
  for (char c : violation.value) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      shown += "\\x" + Hex2(u, false);
    } else {
      shown.push_back(c);
    }
  }
  return std::string(violation.field) + " \"" + shown + "\" is not a single file name (" +
         violation.reason + ")";
}

}  // namespace zentivo::config
