// COM for the thread that creates it, as a single-threaded apartment; the XML
// reader and the shell links need it. Does nothing where there is no COM.
#pragma once

namespace zentivo::platform {

class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

}  // namespace zentivo::platform
