// TAppInfo: the configuration values of this installer copy, read once from
// the block appended to the executable and only read afterwards.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace zentivo::config {

class XmlDocument;

// Every field holds the decoded value converted from GBK to UTF-8.
struct TAppInfo {
  std::string AppInfoID;
  std::string AppName;
  std::string AppEName;
  std::string AppVersion;
  std::string DbVersion;
  std::string AgentVersion;
  std::string UserInfoUrl;
  std::string ErrinfoUrl;
  std::string TarvoDllUrl;
  std::string Author;
  std::string QQ;
  std::string Email;
  std::string Tel;
  std::string HomePage;
  std::string BBS;
  std::string Price;
  std::string Bank;
  std::string IsGP;
  std::string ShowMcTest;
};

// The fields in the order they are read (and written by the packing tool).
struct AppInfoField {
  std::string_view name;
  std::string TAppInfo::*member;
};
inline constexpr std::array<AppInfoField, 19> kAppInfoFields = {{
    {"AppInfoID", &TAppInfo::AppInfoID},     {"AppName", &TAppInfo::AppName},
    {"AppEName", &TAppInfo::AppEName},       {"AppVersion", &TAppInfo::AppVersion},
    {"DbVersion", &TAppInfo::DbVersion},     {"AgentVersion", &TAppInfo::AgentVersion},
    {"UserInfoUrl", &TAppInfo::UserInfoUrl}, {"ErrinfoUrl", &TAppInfo::ErrinfoUrl},
    {"TarvoDllUrl", &TAppInfo::TarvoDllUrl}, {"Author", &TAppInfo::Author},
    {"QQ", &TAppInfo::QQ},                   {"Email", &TAppInfo::Email},
    {"Tel", &TAppInfo::Tel},                 {"HomePage", &TAppInfo::HomePage},
    {"BBS", &TAppInfo::BBS},                 {"Price", &TAppInfo::Price},
    {"Bank", &TAppInfo::Bank},               {"IsGP", &TAppInfo::IsGP},
    {"ShowMcTest", &TAppInfo::ShowMcTest},
}};

// The empty elements the packaging side writes after the nineteen fields.
inline constexpr std::array<std::string_view, 4> kTrailingElements = {"serveQQ", "Tburl",
                                                                      "Zfburl", "remark"};

// The one record of the process, filled by the start-up.
TAppInfo& AppInfo();

}  // namespace zentivo::config
