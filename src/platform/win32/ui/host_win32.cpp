#include "platform/win32/ui/host_win32.h"

#include <windowsx.h>

#include "config/application.h"
#include "platform/dialogs.h"
#include "platform/folder_dialog.h"
#include "platform/shell_open.h"
#include "platform/win32/ui/dpi_win32.h"
#include "platform/win32/ui/licence_window_win32.h"
#include "platform/win32/ui/paint_win32.h"
#include "platform/win32/wide.h"
#include "platform/win32/proxy_auth_win32.h"

namespace zentivo::win32 {
namespace {

constexpr wchar_t kClassName[] = L"TInstallerWindow";
constexpr DWORD kStyle = WS_POPUP | WS_MINIMIZEBOX | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_APPWINDOW;
// The interactive move: SC_MOVE plus 2, as if the caption had been grabbed.
constexpr WPARAM kScDragMove = 0xF012;

bool IsQueuedMessage(UINT msg) {
  return msg == ui::WM_WORKER_CALL || msg == download::WM_PROGRESS_PERCENT ||
         msg == download::WM_DOWNLOAD_POSITION || msg == download::WM_DOWNLOAD_SPEED;
}

}  // namespace

Win32Host::Win32Host() = default;

Win32Host::~Win32Host() {
  if (buffer_old_)
    SelectObject(buffer_dc_.get(), buffer_old_);
}

bool Win32Host::Create(ui::InstallerWindow& window) {
  window_ = &window;
  router_ = std::make_unique<ui::PointerRouter>(window);

  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.lpszClassName = kClassName;
  RegisterClassW(&wc);

  // No border: the window is its client area. It learns its monitor's dpi
  // once it exists, and is then sized for it and centred on the screen.
  const std::wstring caption = Widen(kMainWindowCaption);
  hwnd_ = CreateWindowExW(kExStyle, kClassName, caption.c_str(), kStyle, 0, 0, ui::kClientWidth,
                          ui::kClientHeight, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  // The proxy's password dialog, shown from any thread, belongs to it.
  win32::SetProxyDialogOwner(hwnd_);
  if (!hwnd_)
    return false;
  scale_ = WindowScale(hwnd_);
  const int width = scale_.ToDevice(ui::kClientWidth);
  const int height = scale_.ToDevice(ui::kClientHeight);
  SetWindowPos(hwnd_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  natives_.Create(hwnd_, window.controls(), scale_, skin_.Font(ui::Font{}, scale_));
  ApplyScale(scale_);
  post_target_ = hwnd_;
  return true;
}

void Win32Host::ApplyScale(const ui::DpiScale& scale) {
  scale_ = scale;
  if (buffer_old_)
    SelectObject(buffer_dc_.get(), buffer_old_);
  HDC screen = GetDC(nullptr);
  buffer_ = GdiObject<HBITMAP>(CreateCompatibleBitmap(screen, scale.ToDevice(ui::kClientWidth),
                                                      scale.ToDevice(ui::kClientHeight)));
  ReleaseDC(nullptr, screen);
  buffer_old_ = SelectObject(buffer_dc_.get(), buffer_.get());
  background_brush_.Reset();
  if (HBITMAP background = skin_.Picture("img1", scale))
    background_brush_ = GdiObject<HBRUSH>(CreatePatternBrush(background));
  natives_.Rescale(window_->controls(), scale, skin_.Font(ui::Font{}, scale));
  InvalidateRect(hwnd_, nullptr, FALSE);
}

// Moved to a monitor of another dpi: Windows suggests where the window goes;
// its size is the client area scaled, which is the window's whole size.
void Win32Host::OnDpiChanged(WPARAM wp, const RECT& suggested) {
  const ui::DpiScale scale(LOWORD(wp));
  if (scale != scale_)
    ApplyScale(scale);
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, scale.ToDevice(ui::kClientWidth),
               scale.ToDevice(ui::kClientHeight), SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Host::Show() {
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
}

// --- WindowHost -------------------------------------------------------------

ui::TextExtent Win32Host::MeasureText(const std::string& text, const ui::Font& font) {
  Selected selected(measure_dc_.get(), skin_.Font(font));
  const std::wstring wide = Widen(text);
  SIZE size{};
  GetTextExtentPoint32W(measure_dc_.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
  return {size.cx, size.cy};
}

void Win32Host::ControlChanged(ui::Ctl id) {
  if (!hwnd_ || !window_)
    return;
  const ui::Control& c = window_->control(id);
  if (ui::IsWindowed(c.kind)) {
    natives_.Sync(c);
    return;
  }
  // Repainting the whole back buffer costs less than tracking old bounds.
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void Win32Host::RepaintNow(ui::Ctl id) {
  if (!hwnd_ || !IsWindow(hwnd_))
    return;
  constexpr UINT kNow = RDW_INVALIDATE | RDW_UPDATENOW;
  if (HWND native = natives_.Handle(id)) {
    RedrawWindow(native, nullptr, nullptr, kNow);
    return;
  }
  const ui::Rect b = scale_.ToDevice(window_->control(id).bounds);
  const RECT r{b.left, b.top, b.left + b.width, b.top + b.height};
  RedrawWindow(hwnd_, &r, nullptr, kNow);
}

int Win32Host::ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  return platform::ShowMessageBox(text, caption, flags);
}

std::optional<std::string> Win32Host::BrowseForFolder(const std::string& prompt) {
  return platform::BrowseForFolder(prompt);
}

void Win32Host::SetWaitCursor(bool on) {
  if (on == wait_cursor_)
    return;
  wait_cursor_ = on;
  if (on) {
    cursor_before_wait_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  } else {
    SetCursor(cursor_before_wait_);
  }
}

void Win32Host::ShellOpen(const std::string& file, const std::string& directory) {
  platform::ShellOpen(file, directory);
}

void Win32Host::Minimise() {
  if (IsWindow(hwnd_))
    ShowWindow(hwnd_, SW_MINIMIZE);
}

void Win32Host::Close() {
  if (IsWindow(hwnd_))
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void Win32Host::StartDrag() {
  ReleaseCapture();
  SendMessageW(hwnd_, WM_SYSCOMMAND, kScDragMove, 0);
}

void Win32Host::ShowLicenceWindow() {
  OpenLicenceWindow(skin_);
}

// A quit request met here belongs to the main loop: it goes back on the queue
// and the pumping stops, and so does the work that pumps.
bool Win32Host::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (PreTranslate(msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

void Win32Host::Pause(int milliseconds) {
  Sleep(static_cast<DWORD>(milliseconds));
}

bool Win32Host::PostToWindow(unsigned message, int32_t lparam) {
  HWND target = post_target_.load();
  return target && PostMessageW(target, message, 0, static_cast<LPARAM>(lparam));
}

// --- the window procedure ------------------------------------------------------

LRESULT CALLBACK Win32Host::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32Host*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self || !self->window_)
    return DefWindowProcW(hwnd, msg, wp, lp);
  if (!self->hwnd_)
    self->hwnd_ = hwnd;
  return self->Handle(msg, wp, lp);
}

LRESULT Win32Host::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  if (IsQueuedMessage(msg)) {
    window_->HandleMessage(msg, static_cast<int32_t>(lp));
    return 0;
  }
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      Paint(dc, ps.rcPaint);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT all{0, 0, scale_.ToDevice(ui::kClientWidth), scale_.ToDevice(ui::kClientHeight)};
      Paint(reinterpret_cast<HDC>(wp), all);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      if (!tracking_leave_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
        tracking_leave_ = TrackMouseEvent(&track) != FALSE;
      }
      router_->Move(DesignX(lp), DesignY(lp));
      return 0;
    case WM_MOUSELEAVE:
      tracking_leave_ = false;
      router_->Leave();
      return 0;
    case WM_LBUTTONDOWN:
      OnButtonDown(lp, ui::MouseButton::kLeft);
      return 0;
    case WM_RBUTTONDOWN:
      OnButtonDown(lp, ui::MouseButton::kRight);
      return 0;
    case WM_MBUTTONDOWN:
      OnButtonDown(lp, ui::MouseButton::kMiddle);
      return 0;
    case WM_LBUTTONUP:
      OnButtonUp(lp, ui::MouseButton::kLeft);
      return 0;
    case WM_RBUTTONUP:
      OnButtonUp(lp, ui::MouseButton::kRight);
      return 0;
    case WM_MBUTTONUP:
      OnButtonUp(lp, ui::MouseButton::kMiddle);
      return 0;
    case WM_CAPTURECHANGED:
      // Someone else has the pointer now (the drag, a dialog): no release
      // will come for the press.
      if (!releasing_capture_ && reinterpret_cast<HWND>(lp) != hwnd_)
        router_->CancelCapture();
      return 0;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wp) == hwnd_ && LOWORD(lp) == HTCLIENT && OnSetCursor())
        return TRUE;
      break;
    case WM_COMMAND:
      OnCommand(wp);
      return 0;
    case WM_CTLCOLORSTATIC:
      if (HBRUSH brush = BackgroundBrushFor(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp)))
        return reinterpret_cast<LRESULT>(brush);
      break;
    case WM_DPICHANGED:
      OnDpiChanged(wp, *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_SYSCOMMAND:
      // Alt+F4 and the taskbar's close command go the close button's way,
      // which pauses a running worker before the window goes.
      if ((wp & 0xFFF0) == SC_CLOSE) {
        window_->img6Click();
        return 0;
      }
      break;
    case WM_ACTIVATE:
      OnActivate(wp);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(hwnd_, nullptr, FALSE);  // the focus frame on a face
      return 0;
    case WM_DESTROY:
      // From here nothing the worker sends reaches the window.
      post_target_ = nullptr;
      window_->Closed();
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

void Win32Host::Paint(HDC target, const RECT& area) {
  PaintControls(buffer_dc_.get(), window_->controls(), skin_, scale_);
  if (focused_face_ && GetFocus() == hwnd_ && window_->control(*focused_face_).visible)
    PaintFocus(buffer_dc_.get(), window_->control(*focused_face_), scale_);
  BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top,
         buffer_dc_.get(), area.left, area.top, SRCCOPY);
}

void Win32Host::OnButtonDown(LPARAM lp, ui::MouseButton button) {
  SetCapture(hwnd_);
  router_->Down(DesignX(lp), DesignY(lp), button);
  if (GetCapture() != hwnd_)
    router_->CancelCapture();
}

void Win32Host::OnButtonUp(LPARAM lp, ui::MouseButton button) {
  // The capture goes before the click runs its action, which may open a
  // dialog that needs the pointer.
  if (GetCapture() == hwnd_) {
    releasing_capture_ = true;
    ReleaseCapture();
    releasing_capture_ = false;
  }
  router_->Up(DesignX(lp), DesignY(lp), button);
}

bool Win32Host::OnSetCursor() {
  if (wait_cursor_) {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return true;
  }
  POINT p{};
  GetCursorPos(&p);
  ScreenToClient(hwnd_, &p);
  const bool hand =
      router_->CursorAt(scale_.ToDesign(p.x), scale_.ToDesign(p.y)) == ui::Cursor::kHand;
  SetCursor(LoadCursorW(nullptr, hand ? IDC_HAND : IDC_ARROW));
  return true;
}

void Win32Host::OnCommand(WPARAM wp) {
  const int id = LOWORD(wp);
  const int code = HIWORD(wp);
  if (id == NativeControls::kChk1Id && code == BN_CLICKED) {
    HWND box = natives_.Handle(ui::Ctl::chk1);
    window_->SetAgreementChecked(SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED);
    return;
  }
  if (id == NativeControls::kEdt1Id && code == EN_CHANGE && !natives_.syncing()) {
    HWND edit = natives_.Handle(ui::Ctl::edt1);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    window_->edt1Change(Narrow(text));
  }
}

// The checkbox stands on the skin: its background is the background picture
// at the checkbox's place.
HBRUSH Win32Host::BackgroundBrushFor(HWND control, HDC dc) {
  if (control != natives_.Handle(ui::Ctl::chk1) || !background_brush_)
    return nullptr;
  const ui::Rect b = scale_.ToDevice(window_->control(ui::Ctl::chk1).bounds);
  SetBrushOrgEx(dc, -b.left, -b.top, nullptr);
  SetBkMode(dc, TRANSPARENT);
  return background_brush_.get();
}

int Win32Host::DesignX(LPARAM lp) const {
  return scale_.ToDesign(GET_X_LPARAM(lp));
}

int Win32Host::DesignY(LPARAM lp) const {
  return scale_.ToDesign(GET_Y_LPARAM(lp));
}

}  // namespace zentivo::win32
