// The demo product's settings file "ExamTime.ini" (GBK text), from which the
// product programs and the uninstaller learn which edition is installed.
#pragma once

#include <string>
#include <string_view>

namespace zentivo::demo {

inline constexpr std::string_view kProductIniName = "ExamTime.ini";

// The keys of the [Product] section, as UTF-8; a missing key stays empty.
struct ProductInfo {
  std::string app_name;       // AppName
  std::string app_ename;      // AppEName
  std::string edition;        // Edition
  std::string agent_version;  // AgentVersion
};

ProductInfo ParseProductIni(std::string_view gbk_text);

}  // namespace zentivo::demo
