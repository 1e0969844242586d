#include "session/notice_window_win.h"

#include "platform/wide_text_win.h"
#include "session/session_log_win.h"
#include "session/ui_font_win.h"
#include "session/window_class_win.h"

namespace {

constexpr wchar_t kNoticeClass[] = L"HourwardenSessionNotice";
// The caption; it must differ from the tool's own window title, which an uninstall looks for.
constexpr wchar_t kNoticeTitle[] = L"Hourwarden";
// The layout at 96 dots per inch, scaled to the screen's.
constexpr int kWidth = 520;
constexpr int kHeight = 230;
constexpr int kMargin = 16;
constexpr int kButtonWidth = 90;
constexpr int kWideButtonWidth = 180;
constexpr int kButtonHeight = 30;
constexpr int kOkButtonId = IDOK;
constexpr int kMoreTimeButtonId = 102;
constexpr int kGraceButtonId = 103;

void ReportFailure(const char* call) { ReportFailedCall(call, GetLastError()); }

HWND Button(HWND parent, const wchar_t* text, DWORD style, int x, int y, int width, int height, int id) {
  return CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_TABSTOP | style, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

NoticeWindow::~NoticeWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
  if (largeFont_ != nullptr) DeleteObject(largeFont_);
  if (font_ != nullptr) DeleteObject(font_);
}

bool NoticeWindow::Create() {
  if (!RegisterToolWindowClass(kNoticeClass, &NoticeWindow::WindowProc, COLOR_WINDOW)) return false;
  RECT workArea{0, 0, 1024, 768};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  const int width = ScaledPixels(kWidth), height = ScaledPixels(kHeight);
  const int left = workArea.left + (workArea.right - workArea.left - width) / 2;
  const int top = workArea.top + (workArea.bottom - workArea.top - height) / 4;
  // A caption without a system menu has no close box: the countdown cannot be closed.
  const DWORD style = WS_POPUP | WS_CAPTION | WS_BORDER | (closable_ ? WS_SYSMENU : 0);
  window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, kNoticeClass, kNoticeTitle, style, left, top, width,
                            height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) {
    ReportFailure("CreateWindowExW");
    return false;
  }

  RECT client{};
  GetClientRect(window_, &client);
  const int margin = ScaledPixels(kMargin), buttonHeight = ScaledPixels(kButtonHeight);
  const int buttonsTop = client.bottom - margin - buttonHeight;
  text_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER, margin, margin,
                          client.right - 2 * margin, buttonsTop - 2 * margin, window_, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  // The row of buttons: "Ask for more time..." and "I need to save my work" from the left, OK on
  // the right of a closable notice.
  const int wide = ScaledPixels(kWideButtonWidth);
  moreTime_ = Button(window_, L"Ask for more time...", 0, margin, buttonsTop, wide, buttonHeight, kMoreTimeButtonId);
  grace_ = Button(window_, L"I need to save my work", 0, 2 * margin + wide, buttonsTop, wide, buttonHeight,
                  kGraceButtonId);
  if (closable_) {
    const int okWidth = ScaledPixels(kButtonWidth);
    Button(window_, L"OK", WS_VISIBLE | BS_DEFPUSHBUTTON, client.right - margin - okWidth, buttonsTop, okWidth,
           buttonHeight, kOkButtonId);
  }
  largeFont_ = CreateMessageFont(FontSize::kLarge);
  font_ = CreateMessageFont(FontSize::kText);
  for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(child == text_ ? largeFont_ : font_), FALSE);
  return true;
}

bool NoticeWindow::Show(const std::string& text, bool offerMoreTime, bool offerGrace) {
  if (window_ == nullptr && !Create()) return false;
  if (text_ != nullptr) SetWindowTextW(text_, WideFromUtf8(text).c_str());
  const bool buttonsWork = target_ != nullptr;
  if (moreTime_ != nullptr) ShowWindow(moreTime_, offerMoreTime && buttonsWork ? SW_SHOWNA : SW_HIDE);
  if (grace_ != nullptr) ShowWindow(grace_, offerGrace && buttonsWork ? SW_SHOWNA : SW_HIDE);
  // Above every window that is not topmost itself, shown without taking the focus.
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  return true;
}

void NoticeWindow::Hide() {
  if (window_ != nullptr) ShowWindow(window_, SW_HIDE);
}

LRESULT CALLBACK NoticeWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* notice = reinterpret_cast<NoticeWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (notice != nullptr) {
    switch (message) {
      case WM_NCDESTROY:
        notice->window_ = nullptr;
        notice->text_ = nullptr;
        notice->moreTime_ = nullptr;
        notice->grace_ = nullptr;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
      case WM_COMMAND:
        if (LOWORD(wParam) == kMoreTimeButtonId || LOWORD(wParam) == kGraceButtonId) {
          if (notice->target_ != nullptr)
            PostMessageW(notice->target_,
                         LOWORD(wParam) == kMoreTimeButtonId ? notice->moreTimeMessage_ : notice->graceMessage_, 0, 0);
          return 0;
        }
        if (LOWORD(wParam) == kOkButtonId || LOWORD(wParam) == IDCANCEL) {
          if (notice->closable_) notice->Hide();
          return 0;
        }
        break;
      case WM_CTLCOLORSTATIC:
        // The text on the window's own ground, not on the grey of a dialog.
        if (reinterpret_cast<HWND>(lParam) == notice->text_) {
          SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
          return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        break;
      case WM_CLOSE:
        // Closing only hides the notice; the countdown ignores the request.
        if (notice->closable_) notice->Hide();
        return 0;
      default:
        break;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
