// The one assertion of the fuzz targets: a broken property is reported and
// ends the run, so that libFuzzer keeps the input as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace zentivo::fuzz {

inline void Require(bool holds, const char* property) {
  if (holds)
    return;
  std::fprintf(stderr, "fuzz property broken: %s\n", property);
  std::abort();
}

}  // namespace zentivo::fuzz
