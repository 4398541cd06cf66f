#include "platform/com.h"

namespace zentivo::platform {

ComApartment::ComApartment() : ok_(true) {}
ComApartment::~ComApartment() = default;

}  // namespace zentivo::platform
