#include "session/notice_window_win.h"

#include "platform/win_error.h"
#include "session/window_class_win.h"

namespace {

constexpr char kNoticeClass[] = "HourwardenSessionNotice";
// The caption; it must differ from the tool's own window title, which an uninstall looks for.
constexpr char kNoticeTitle[] = "Hourwarden";
constexpr int kWidth = 460;
constexpr int kHeight = 220;
constexpr int kMargin = 16;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 30;
constexpr int kOkButtonId = IDOK;
constexpr int kMoreTimeButtonId = 102;
constexpr int kMoreTimeButtonWidth = 180;

void ReportFailure(const char* call) { OutputDebugStringA(DescribeWindowsFailure(call, GetLastError()).c_str()); }

}  // namespace

NoticeWindow::~NoticeWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
  if (font_ != nullptr) DeleteObject(font_);
}

bool NoticeWindow::Create() {
  if (!RegisterToolWindowClass(kNoticeClass, &NoticeWindow::WindowProc, COLOR_WINDOW)) return false;
  RECT workArea{0, 0, 1024, 768};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
  const int left = workArea.left + (workArea.right - workArea.left - kWidth) / 2;
  const int top = workArea.top + (workArea.bottom - workArea.top - kHeight) / 3;
  // A caption without a system menu has no close box: the logoff notice cannot be closed.
  const DWORD style = WS_POPUP | WS_CAPTION | WS_BORDER | (closable_ ? WS_SYSMENU : 0);
  window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, kNoticeClass, kNoticeTitle, style, left, top,
                            kWidth, kHeight, nullptr, nullptr, GetModuleHandleA(nullptr), this);
  if (window_ == nullptr) {
    ReportFailure("CreateWindowExA");
    return false;
  }

  RECT client{};
  GetClientRect(window_, &client);
  // A row for the buttons: OK on the right of a closable notice, "Ask for more time..." on the left.
  const int buttonSpace = kButtonHeight + kMargin;
  text_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_CENTER, kMargin, kMargin,
                          client.right - 2 * kMargin, client.bottom - 2 * kMargin - buttonSpace, window_, nullptr,
                          GetModuleHandleA(nullptr), nullptr);
  HWND button = nullptr;
  if (closable_) {
    button = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                             client.right - kMargin - kButtonWidth, client.bottom - kMargin - kButtonHeight, kButtonWidth,
                             kButtonHeight, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kOkButtonId)),
                             GetModuleHandleA(nullptr), nullptr);
  }
  moreTime_ = CreateWindowExA(0, "BUTTON", "Ask for more time...", WS_CHILD | WS_TABSTOP, kMargin,
                              client.bottom - kMargin - kButtonHeight, kMoreTimeButtonWidth, kButtonHeight, window_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMoreTimeButtonId)),
                              GetModuleHandleA(nullptr), nullptr);
  // A large, bold face: the notice must be read at a glance.
  font_ = CreateFontA(-20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Segoe UI");
  if (font_ != nullptr && text_ != nullptr) SendMessageA(text_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  for (HWND child : {button, moreTime_})
    if (child != nullptr) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return true;
}

bool NoticeWindow::Show(const std::string& text, bool offerMoreTime) {
  if (window_ == nullptr && !Create()) return false;
  if (text_ != nullptr) SetWindowTextA(text_, text.c_str());
  if (moreTime_ != nullptr) ShowWindow(moreTime_, offerMoreTime && moreTimeTarget_ != nullptr ? SW_SHOWNA : SW_HIDE);
  // Above every window that is not topmost itself, shown without taking the focus.
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  return true;
}

void NoticeWindow::Hide() {
  if (window_ != nullptr) ShowWindow(window_, SW_HIDE);
}

LRESULT CALLBACK NoticeWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* notice = reinterpret_cast<NoticeWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (notice != nullptr) {
    switch (message) {
      case WM_NCDESTROY:
        notice->window_ = nullptr;
        notice->text_ = nullptr;
        notice->moreTime_ = nullptr;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
      case WM_COMMAND:
        if (LOWORD(wParam) == kMoreTimeButtonId) {
          if (notice->moreTimeTarget_ != nullptr) PostMessageA(notice->moreTimeTarget_, notice->moreTimeMessage_, 0, 0);
          return 0;
        }
        if (LOWORD(wParam) == kOkButtonId || LOWORD(wParam) == IDCANCEL) {
          if (notice->closable_) notice->Hide();
          return 0;
        }
        break;
      case WM_CLOSE:
        // Closing only hides the notice; the logoff notice ignores the request.
        if (notice->closable_) notice->Hide();
        return 0;
      default:
        break;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
