// An edition's download plan as the installer computes it, for plan and
// check to show.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/app_info.h"
#include "download/download_plan.h"

namespace zentivo::pack {

struct EditionPlan {
  download::DownloadPlan plan;
  std::vector<download::PlannedFile> files;  // the eight, in download order
};

// The installer's own plan of this edition (BuildDownloadPlan, PlannedFiles).
EditionPlan PlanOf(const config::TAppInfo& info);

// "planned", "if probed" or "left out".
std::string_view NeedText(download::PlanNeed need);

// The lines that name the edition and what the plan derives from it.
std::vector<std::string> EditionLines(const config::TAppInfo& info, const EditionPlan& plan);

// `text` padded with spaces to `width` columns (ASCII-width text).
std::string Pad(std::string text, size_t width);

// ServerRoot from --server's value: http://HOST[:PORT] (the default scheme)
// or https://..., optionally with a folder; an error text when it is not a
// URL a request can go to.
struct ServerRoot {
  std::string root;
  std::string error;
};
ServerRoot ServerRootFromArgument(const std::string& value);

}  // namespace zentivo::pack
