#include "pack/plan_view.h"

#include "platform/http_url.h"

namespace zentivo::pack {

EditionPlan PlanOf(const config::TAppInfo& info) {
  EditionPlan out;
  out.plan = download::BuildDownloadPlan(info.AgentVersion, info.AppName, info.AppEName);
  out.files = download::PlannedFiles(out.plan);
  return out;
}

std::string_view NeedText(download::PlanNeed need) {
  switch (need) {
    case download::PlanNeed::kAlways:
      return "planned";
    case download::PlanNeed::kIfProbed:
      return "if probed";
    case download::PlanNeed::kLeftOut:
      break;
  }
  return "left out";
}

std::vector<std::string> EditionLines(const config::TAppInfo& info, const EditionPlan& plan) {
  return {
      "AppName      " + info.AppName,          "AppEName     " + info.AppEName,
      "AgentVersion " + info.AgentVersion,     "FlashFolder  " + plan.plan.FlashFolder,
      "EditionCode  " + plan.plan.EditionCode,
  };
}

std::string Pad(std::string text, size_t width) {
  if (text.size() < width)
    text.append(width - text.size(), ' ');
  return text;
}

ServerRoot ServerRootFromArgument(const std::string& value) {
  const std::string root = platform::ServerRootFromSetting(value);
  const auto url = platform::ParseHttpUrl(root);
  // A folder after the host serves a server whose tree lies below it (a
  // bucket's prefix at a CDN); the installer's own setting names none.
  const bool one_scheme = root.find("://") == root.rfind("://");  // not http://ftp://...
  if (!url || !one_scheme || value.empty() || value.find_first_of("?#") != std::string::npos)
    return {"", "--server wants http://HOST[:PORT][/FOLDER] or https://..., not \"" + value + "\""};
  return {root, ""};
}

}  // namespace zentivo::pack
