#include "platform/win32/proxy_auth_win32.h"

#include <atomic>

#include "platform/win32/wininet_api.h"

namespace zentivo::win32 {
namespace {

// How often the user may be asked before the run gives up on the proxy.
constexpr int kMaxDialogs = 3;

std::atomic<HWND> g_owner{nullptr};

void SetText(HINTERNET request, DWORD option, const std::wstring& text) {
  WinInet().InternetSetOptionW(request, option, const_cast<wchar_t*>(text.c_str()),
                               static_cast<DWORD>(text.size()));
}

}  // namespace

void SetProxyDialogOwner(HWND owner) {
  g_owner = owner;
}

ProxyAuth& ProxyAuth::Instance() {
  static ProxyAuth auth;
  return auth;
}

void ProxyAuth::Carry(HINTERNET request) const {
  SetText(request, INTERNET_OPTION_PROXY_USERNAME, user_);
  SetText(request, INTERNET_OPTION_PROXY_PASSWORD, password_);
}

void ProxyAuth::Keep(HINTERNET request) {
  user_ = QueryOptionText(request, INTERNET_OPTION_PROXY_USERNAME);
  password_ = QueryOptionText(request, INTERNET_OPTION_PROXY_PASSWORD);
  ++generation_;
}

void ProxyAuth::Apply(HINTERNET request, Attempt& attempt) {
  std::lock_guard lock(mutex_);
  if (generation_ == 0)
    return;
  Carry(request);
  attempt.generation = generation_;
}

bool ProxyAuth::Answer(HINTERNET request, Attempt& attempt) {
  std::lock_guard lock(mutex_);
  if (given_up_)
    return false;
  // Another request got an answer since this one went out: try that first.
  if (generation_ > attempt.generation) {
    Carry(request);
    attempt.generation = generation_;
    return true;
  }
  if (dialogs_ >= kMaxDialogs) {
    given_up_ = true;
    return false;
  }
  ++dialogs_;
  // The system's own dialog comes filled in with what it holds for this
  // proxy (GENERATE_DATA), so stored credentials are one press of OK away.
  const DWORD answer = WinInet().InternetErrorDlg(
      g_owner.load(), request, ERROR_INTERNET_INCORRECT_PASSWORD,
      FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_GENERATE_DATA |
          FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS,
      nullptr);
  if (answer != ERROR_INTERNET_FORCE_RETRY) {
    // Cancelled, or no dialog to be had: the run ends with the proxy's
    // message, and every request waiting for the answer with it.
    given_up_ = true;
    return false;
  }
  Keep(request);
  attempt.generation = generation_;
  return true;
}

}  // namespace zentivo::win32
