// Reading the values an edition is packed with, and making its block.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentivo::pack {

// Field name -> UTF-8 value; fields not named stay empty.
using Values = std::map<std::string, std::string>;

// The packaging side leaves this one unencoded (the installer decodes it all
// the same, into bytes nobody uses).
inline constexpr std::string_view kPlainField = "IsGP";

// One of the nineteen fields of the block.
bool IsField(const std::string& name);

// A text file's lines: UTF-8 with or without a byte-order mark, LF or CR LF
// (the line ends and the mark dropped). Lines that are blank or whose first
// non-blank character is "#" are left out; each line keeps its number.
struct TextLine {
  size_t number = 0;
  std::string text;
};
std::vector<TextLine> ContentLines(const std::string& data);

// Adds NAME=VALUE to `values`; an error text for a malformed item or a name
// that is not a field.
[[nodiscard]] std::optional<std::string> AddAssignment(Values& values, const std::string& item);
// Reads a NAME=VALUE file (UTF-8, "#" starts a comment line).
[[nodiscard]] std::optional<std::string> AddValuesFile(Values& values, const std::string& path);

// The XML text of the block for these values: each value converted to GBK and
// encoded, IsGP written as plain text. An error text when a value can't be
// written in GBK, or when AppEName or AppName is not a single file name.
[[nodiscard]] std::optional<std::string> BuildXml(const Values& values, std::string& xml);

// The decoded bytes of a stored value shown as UTF-8 text, with every byte
// that is not printable GBK text written as \xHH.
std::string Printable(const std::string& gbk_bytes);

}  // namespace zentivo::pack
