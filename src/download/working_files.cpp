#include "download/working_files.h"

#include "config/config_block.h"
#include "download/download_plan.h"
#include "download/partial_file.h"

namespace zentivo::download {

std::vector<std::string> WorkingFileNames() {
  std::vector<std::string> names = {std::string(config::kAppInfoFileName)};
  for (const auto& file : PlannedFileCodes()) {
    const std::string name(file.name);
    const std::string tmp = name + std::string(kTmpSuffix);
    names.insert(names.end(), {name, tmp, tmp + std::string(kVersionSuffix)});
  }
  return names;
}

}  // namespace zentivo::download
