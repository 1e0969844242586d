#include "session/more_time_dialog_win.h"

#include "platform/win_error.h"
#include "session/session_texts.h"
#include "session/window_class_win.h"

namespace {

constexpr char kDialogClass[] = "HourwardenMoreTime";
// The caption, which the tests of the session tool look for too.
constexpr char kDialogTitle[] = "Hourwarden: ask for more time";
constexpr int kWidth = 420;
constexpr int kHeight = 270;
constexpr int kMargin = 16;
constexpr int kLineHeight = 24;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 30;
// The control of the answer, which the tests read.
constexpr int kAnswerId = 100;
constexpr int kCodeId = 101;
// The line that says what a code gives.
constexpr int kGivesId = 102;

void ReportFailure(const char* call) { OutputDebugStringA(DescribeWindowsFailure(call, GetLastError()).c_str()); }

HWND Child(HWND parent, const char* windowClass, const char* text, DWORD style, int x, int y, int width, int height,
           int id) {
  return CreateWindowExA(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

MoreTimeDialog::~MoreTimeDialog() {
  if (window_ != nullptr) DestroyWindow(window_);
  if (font_ != nullptr) DeleteObject(font_);
}

bool MoreTimeDialog::Open(int minutesByCode, Ask ask) {
  ask_ = std::move(ask);
  if (window_ == nullptr && !Create(minutesByCode)) return false;
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(window_);
  SetFocus(code_);
  return true;
}

bool MoreTimeDialog::Create(int minutesByCode) {
  if (!RegisterToolWindowClass(kDialogClass, &MoreTimeDialog::WindowProc, COLOR_BTNFACE)) return false;
  RECT workArea{0, 0, 1024, 768};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
  const int left = workArea.left + (workArea.right - workArea.left - kWidth) / 2;
  const int top = workArea.top + (workArea.bottom - workArea.top - kHeight) / 2;
  window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kDialogClass, kDialogTitle,
                            WS_POPUP | WS_CAPTION | WS_SYSMENU, left, top, kWidth, kHeight, nullptr, nullptr,
                            GetModuleHandleA(nullptr), this);
  if (window_ == nullptr) {
    ReportFailure("CreateWindowExA");
    return false;
  }
  font_ = CreateFontA(-15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Segoe UI");
  RECT client{};
  GetClientRect(window_, &client);
  const int width = client.right - 2 * kMargin;
  int y = kMargin;
  const bool offered = minutesByCode > 0;
  Child(window_, "STATIC", offered ? CodeGivesText(minutesByCode).c_str() : "No more time by code today.", 0, kMargin,
        y, width, kLineHeight, kGivesId);
  y += kLineHeight + 4;
  Child(window_, "STATIC", "Ask a parent for the code their phone shows now, and type it here:", 0, kMargin, y, width,
        2 * kLineHeight, -1);
  y += 2 * kLineHeight + 4;
  code_ = Child(window_, "EDIT", "", WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_CENTER | (offered ? 0 : WS_DISABLED),
                kMargin, y, 120, kLineHeight + 4, kCodeId);
  SendMessageA(code_, EM_SETLIMITTEXT, 6, 0);
  y += kLineHeight + 16;
  answer_ = Child(window_, "STATIC", "", 0, kMargin, y, width, 2 * kLineHeight, kAnswerId);
  const int buttonsTop = client.bottom - kMargin - kButtonHeight;
  Child(window_, "BUTTON", "Ask", BS_DEFPUSHBUTTON | WS_TABSTOP | (offered ? 0 : WS_DISABLED),
        client.right - 2 * (kButtonWidth + kMargin), buttonsTop, kButtonWidth, kButtonHeight, IDOK);
  Child(window_, "BUTTON", "Close", WS_TABSTOP, client.right - kButtonWidth - kMargin, buttonsTop, kButtonWidth,
        kButtonHeight, IDCANCEL);
  if (font_ != nullptr)
    for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
      SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return true;
}

void MoreTimeDialog::Send() {
  char code[16] = {};
  GetWindowTextA(code_, code, sizeof code);
  if (!ask_ || !IsWindowEnabled(code_)) return;
  SetWindowTextA(answer_, "Asking...");
  UpdateWindow(answer_);
  SetWindowTextA(answer_, ask_(code).c_str());
  SetWindowTextA(code_, "");
}

LRESULT CALLBACK MoreTimeDialog::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* dialog = reinterpret_cast<MoreTimeDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (dialog != nullptr) {
    switch (message) {
      case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
          dialog->Send();
          return 0;
        }
        if (LOWORD(wParam) == IDCANCEL) {
          DestroyWindow(window);
          return 0;
        }
        break;
      case WM_CLOSE:
        DestroyWindow(window);
        return 0;
      case WM_NCDESTROY:
        dialog->window_ = nullptr;
        dialog->code_ = nullptr;
        dialog->answer_ = nullptr;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
      default:
        break;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
