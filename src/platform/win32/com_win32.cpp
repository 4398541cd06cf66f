#include <objbase.h>
#include <windows.h>

#include "platform/com.h"

namespace zentivo::platform {

ComApartment::ComApartment() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}

ComApartment::~ComApartment() {
  if (ok_) CoUninitialize();
}

}  // namespace zentivo::platform
