#include "pack/block_writer.h"

#include <cstdint>

#include "config/config_block.h"

namespace zentivo::config {
namespace {

std::string EscapeXml(std::string_view s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

}  // namespace

std::string MakeBlock(std::string_view xml) {
  std::string block(xml);
  const auto n = static_cast<uint32_t>(xml.size() + kBlockLengthFieldSize);
  for (size_t i = 0; i < kBlockLengthFieldSize; ++i)
    block.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
  return block;
}

std::string MakeConfigXml(const std::vector<std::pair<std::string, std::string>>& encoded) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<AppInfo>\r\n";
  for (const auto& [name, text] : encoded) {
    if (text.empty()) {
      xml += "\t<" + name + " />\r\n";
    } else {
      xml += "\t<" + name + ">" + EscapeXml(text) + "</" + name + ">\r\n";
    }
  }
  xml += "</AppInfo>\r\n";
  return xml;
}

}  // namespace zentivo::config
