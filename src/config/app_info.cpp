#include "config/app_info.h"

namespace zentivo::config {

TAppInfo& AppInfo() {
  static TAppInfo info;
  return info;
}

}  // namespace zentivo::config
