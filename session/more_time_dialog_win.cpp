#include "session/more_time_dialog_win.h"

#include <algorithm>

#include "platform/ui_font_win.h"
#include "platform/wide_text_win.h"
#include "platform/win_error.h"
#include "platform/window_class_win.h"
#include "session/session_log_win.h"
#include "session/session_texts.h"
#include "session/window_layout.h"

namespace {

constexpr wchar_t kDialogClass[] = L"HourwardenMoreTime";
// The caption, which the tests of the session tool look for too.
constexpr wchar_t kDialogTitle[] = L"Hourwarden: ask for more time";
// The control of the answer, which the tests read.
constexpr int kAnswerId = 100;
constexpr int kCodeId = 101;
// The line that says what a code gives.
constexpr int kGivesId = 102;
constexpr int kAnswerIconId = 103;
constexpr COLORREF kAcceptedColour = RGB(0, 110, 0);
constexpr COLORREF kRefusedColour = RGB(170, 0, 0);

void ReportFailure(const char* call) { ReportFailedCall(call, GetLastError()); }

HWND Child(HWND parent, const wchar_t* windowClass, const std::string& text, DWORD style, int id) {
  return CreateWindowExW(0, windowClass, WideFromUtf8(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                         nullptr);
}

}  // namespace

MoreTimeDialog::~MoreTimeDialog() {
  if (window_ != nullptr) DestroyWindow(window_);
  if (font_ != nullptr) DeleteObject(font_);
}

bool MoreTimeDialog::Open(int minutesByCode, Ask ask, HWND above) {
  ask_ = std::move(ask);
  if (window_ == nullptr && !Create(minutesByCode, above)) return false;
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(window_);
  SetFocus(code_);
  return true;
}

bool MoreTimeDialog::CodeBeingTyped() const {
  return window_ != nullptr && code_ != nullptr && IsWindowEnabled(code_) && GetWindowTextLengthW(code_) > 0;
}

bool MoreTimeDialog::Create(int minutesByCode, HWND above) {
  if (!RegisterToolWindowClass(kDialogClass, &MoreTimeDialog::WindowProc, COLOR_BTNFACE)) {
    ReportSessionFailure("The dialog's window class could not be registered (RegisterClassW)");
    return false;
  }
  RECT workArea{0, 0, 1024, 768};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  // At the countdown's scale when it is shown: the dialog opens on the same monitor.
  const bool belowCountdown = above != nullptr && IsWindowVisible(above);
  const int openingDpi = WindowDpi(belowCountdown ? above : nullptr);
  const Box size = DialogSize(openingDpi);
  const int left = workArea.left + (workArea.right - workArea.left - size.width) / 2;
  int top = workArea.top + (workArea.bottom - workArea.top - size.height) / 2;
  // Below the countdown, so that its seconds stay in sight, as far as the screen allows.
  RECT aboveRect{};
  if (belowCountdown && GetWindowRect(above, &aboveRect))
    top = std::min<int>(aboveRect.bottom + DialogGap(openingDpi), workArea.bottom - size.height);
  window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kDialogClass, kDialogTitle,
                            WS_POPUP | WS_CAPTION | WS_SYSMENU, left, top, size.width, size.height, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) {
    ReportFailure("CreateWindowExW");
    return false;
  }
  const bool offered = minutesByCode > 0;
  gives_ = Child(window_, L"STATIC", offered ? CodeGivesText(minutesByCode) : "No parent's code can be used now.", 0,
                 kGivesId);
  prompt_ = Child(window_, L"STATIC", "Ask a parent for the code on their phone, and type it here:", 0, -1);
  code_ = Child(window_, L"EDIT", "", WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_CENTER | (offered ? 0 : WS_DISABLED),
                kCodeId);
  SendMessageW(code_, EM_SETLIMITTEXT, 6, 0);
  answerIcon_ = Child(window_, L"STATIC", "", SS_ICON, kAnswerIconId);
  ShowWindow(answerIcon_, SW_HIDE);
  answer_ = Child(window_, L"STATIC", "", 0, kAnswerId);
  askButton_ = Child(window_, L"BUTTON", "Ask", BS_DEFPUSHBUTTON | WS_TABSTOP | (offered ? 0 : WS_DISABLED), IDOK);
  close_ = Child(window_, L"BUTTON", "Close", WS_TABSTOP, IDCANCEL);
  const int dpi = WindowDpi(window_);
  if (const Box scaled = DialogSize(dpi); scaled.width != size.width || scaled.height != size.height)
    SetWindowPos(window_, nullptr, 0, 0, scaled.width, scaled.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyDpi(dpi);
  return true;
}

void MoreTimeDialog::ApplyDpi(int dpi) {
  HFONT font = CreateMessageFont(FontSize::kText, dpi);
  for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (font_ != nullptr) DeleteObject(font_);
  font_ = font;
  RECT client{};
  GetClientRect(window_, &client);
  const DialogLayout layout = LayOutDialog(dpi, client.right, client.bottom);
  PlaceControl(gives_, layout.gives);
  PlaceControl(prompt_, layout.prompt);
  PlaceControl(code_, layout.code);
  PlaceControl(answerIcon_, layout.answerIcon);
  PlaceControl(answer_, layout.answer);
  PlaceControl(askButton_, layout.ask);
  PlaceControl(close_, layout.close);
  InvalidateRect(window_, nullptr, TRUE);
}

void MoreTimeDialog::Send() {
  wchar_t code[16] = {};
  GetWindowTextW(code_, code, 16);
  if (!ask_ || !IsWindowEnabled(code_)) return;
  ShowWindow(answerIcon_, SW_HIDE);
  SetWindowTextW(answer_, L"Asking...");
  UpdateWindow(answer_);
  const Answer answer = ask_(Utf8FromWide(code));
  accepted_ = answer.accepted;
  // Shared system icons: never destroyed.
  SendMessageW(answerIcon_, STM_SETICON,
               reinterpret_cast<WPARAM>(LoadIconA(nullptr, answer.accepted ? IDI_INFORMATION : IDI_ERROR)), 0);
  ShowWindow(answerIcon_, SW_SHOWNA);
  SetWindowTextW(answer_, WideFromUtf8(answer.text).c_str());
  if (!answer.keepCode) SetWindowTextW(code_, L"");
}

LRESULT CALLBACK MoreTimeDialog::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* dialog = reinterpret_cast<MoreTimeDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
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
      case WM_CTLCOLORSTATIC:
        // The answer in green when the code was accepted, in red otherwise.
        if (reinterpret_cast<HWND>(lParam) == dialog->answer_) {
          HDC context = reinterpret_cast<HDC>(wParam);
          SetTextColor(context, dialog->accepted_ ? kAcceptedColour : kRefusedColour);
          SetBkColor(context, GetSysColor(COLOR_BTNFACE));
          return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        break;
      case WM_DPICHANGED: {
        // Moved to a monitor of another scale, or the scale changed: the size Windows suggests,
        // then the font and the layout of that scale.
        MoveToSuggestedBounds(window, lParam);
        dialog->ApplyDpi(HIWORD(wParam));
        return 0;
      }
      case WM_CLOSE:
        DestroyWindow(window);
        return 0;
      case WM_NCDESTROY:
        dialog->window_ = nullptr;
        dialog->code_ = nullptr;
        dialog->answer_ = nullptr;
        dialog->answerIcon_ = nullptr;
        dialog->gives_ = nullptr;
        dialog->prompt_ = nullptr;
        dialog->askButton_ = nullptr;
        dialog->close_ = nullptr;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
      default:
        break;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
