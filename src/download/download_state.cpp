#include "download/download_state.h"

namespace zentivo::download {

TDownloadState& DownloadState() {
  static TDownloadState state;
  return state;
}

}  // namespace zentivo::download
