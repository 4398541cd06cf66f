#include "product_ini.h"

#include "platform/text.h"

namespace zentivo::demo {
namespace {

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos)
    return {};
  const auto last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i]))
      return false;
  }
  return true;
}

}  // namespace

ProductInfo ParseProductIni(std::string_view gbk_text) {
  ProductInfo info;
  bool in_product = false;
  size_t start = 0;
  while (start < gbk_text.size()) {
    size_t end = gbk_text.find('\n', start);
    if (end == std::string_view::npos)
      end = gbk_text.size();
    const std::string_view line = Trim(gbk_text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == ';')
      continue;
    if (line.front() == '[') {
      in_product = EqualsNoCase(line, "[Product]");
      continue;
    }
    const auto eq = line.find('=');
    if (!in_product || eq == std::string_view::npos)
      continue;
    const std::string_view key = Trim(line.substr(0, eq));
    const std::string value = text::GbkToUtf8(Trim(line.substr(eq + 1)));
    if (EqualsNoCase(key, "AppName"))
      info.app_name = value;
    else if (EqualsNoCase(key, "AppEName"))
      info.app_ename = value;
    else if (EqualsNoCase(key, "Edition"))
      info.edition = value;
    else if (EqualsNoCase(key, "AgentVersion"))
      info.agent_version = value;
  }
  return info;
}

}  // namespace zentivo::demo
