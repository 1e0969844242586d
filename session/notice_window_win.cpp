#include "session/notice_window_win.h"

#include "platform/ui_font_win.h"
#include "platform/wide_text_win.h"
#include "platform/win_error.h"
#include "platform/window_class_win.h"
#include "session/session_log_win.h"
#include "session/window_layout.h"

namespace {

constexpr wchar_t kNoticeClass[] = L"HourwardenSessionNotice";
// The caption; it must differ from the tool's own window title, which an uninstall looks for.
constexpr wchar_t kNoticeTitle[] = L"Hourwarden";
constexpr int kOkButtonId = IDOK;
constexpr int kMoreTimeButtonId = 102;
constexpr int kGraceButtonId = 103;

void ReportFailure(const char* call) { ReportFailedCall(call, GetLastError()); }

HWND Button(HWND parent, const wchar_t* text, DWORD style, int id) {
  return CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_TABSTOP | style, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

NoticeWindow::~NoticeWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
  if (largeFont_ != nullptr) DeleteObject(largeFont_);
  if (font_ != nullptr) DeleteObject(font_);
}

bool NoticeWindow::Create() {
  if (!RegisterToolWindowClass(kNoticeClass, &NoticeWindow::WindowProc, COLOR_WINDOW)) {
    ReportSessionFailure("The notice's window class could not be registered (RegisterClassW)");
    return false;
  }
  RECT workArea{0, 0, 1024, 768};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  const Box size = NoticeSize(WindowDpi(nullptr));
  const int left = workArea.left + (workArea.right - workArea.left - size.width) / 2;
  const int top = workArea.top + (workArea.bottom - workArea.top - size.height) / 4;
  // A caption without a system menu has no close box: the countdown cannot be closed.
  const DWORD style = WS_POPUP | WS_CAPTION | WS_BORDER | (closable_ ? WS_SYSMENU : 0);
  window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, kNoticeClass, kNoticeTitle, style, left, top,
                            size.width, size.height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) {
    ReportFailure("CreateWindowExW");
    return false;
  }
  text_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 0, 0, 0, window_, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  moreTime_ = Button(window_, L"Ask for more time...", 0, kMoreTimeButtonId);
  grace_ = Button(window_, L"I need to save my work", 0, kGraceButtonId);
  if (closable_) ok_ = Button(window_, L"OK", WS_VISIBLE | BS_DEFPUSHBUTTON, kOkButtonId);
  // The monitor the window opened on may have another scale than the system's.
  const int dpi = WindowDpi(window_);
  if (const Box scaled = NoticeSize(dpi); scaled.width != size.width || scaled.height != size.height)
    SetWindowPos(window_, nullptr, 0, 0, scaled.width, scaled.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyDpi(dpi);
  return true;
}

void NoticeWindow::ApplyDpi(int dpi) {
  HFONT largeFont = CreateMessageFont(FontSize::kLarge, dpi);
  HFONT font = CreateMessageFont(FontSize::kText, dpi);
  for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(child == text_ ? largeFont : font), FALSE);
  if (largeFont_ != nullptr) DeleteObject(largeFont_);
  if (font_ != nullptr) DeleteObject(font_);
  largeFont_ = largeFont;
  font_ = font;
  RECT client{};
  GetClientRect(window_, &client);
  const NoticeLayout layout = LayOutNotice(dpi, client.right, client.bottom);
  PlaceControl(text_, layout.text);
  PlaceControl(moreTime_, layout.moreTime);
  PlaceControl(grace_, layout.grace);
  PlaceControl(ok_, layout.ok);
  InvalidateRect(window_, nullptr, TRUE);
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
        notice->ok_ = nullptr;
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
      case WM_DPICHANGED: {
        // Moved to a monitor of another scale, or the scale changed: the size Windows suggests,
        // then the fonts and the layout of that scale.
        MoveToSuggestedBounds(window, lParam);
        notice->ApplyDpi(HIWORD(wParam));
        return 0;
      }
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
