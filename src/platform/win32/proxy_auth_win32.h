// A proxy that asks for a password (407), answered once for the whole run.
// WinINet answers single sign-on (NTLM, Negotiate) by itself; what reaches
// us is a proxy that wants more. Its answer is asked of the user once, with
// the system's own proxy-credentials dialog owned by the installer window,
// which comes filled in with what the system holds for that proxy. Every request
// of the run, on every connection and thread (the size probes too), then
// carries that answer; with several requests refused at once the user is
// still asked only once.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <mutex>
#include <string>

namespace zentivo::win32 {

// The installer window, which owns the dialog; set once it exists.
void SetProxyDialogOwner(HWND owner);

// The user's Internet Settings name a proxy: a manual one, an automatic
// configuration script or WPAD.
bool SystemProxyConfigured();

class ProxyAuth {
 public:
  static ProxyAuth& Instance();

  // What a request has tried so far: the answer it carried (0: none).
  struct Attempt {
    uint64_t generation = 0;
  };

  // Before a request first goes out: the run's answer, when there is one.
  void Apply(HINTERNET request, Attempt& attempt);
  // `request` was refused with 407 (its body read): true when it should be
  // sent again, now carrying an answer it hasn't tried; false when the user
  // cancelled, or the proxy refused what the user gave three times.
  bool Answer(HINTERNET request, Attempt& attempt);

 private:
  void Carry(HINTERNET request) const;  // the stored answer onto the request
  void Keep(HINTERNET request);         // the answer the request now holds

  std::mutex mutex_;  // held while the dialog shows: the others wait for it
  std::wstring user_;
  std::wstring password_;
  uint64_t generation_ = 0;  // counts the answers; 0: none yet
  int dialogs_ = 0;
  bool given_up_ = false;
};

}  // namespace zentivo::win32
