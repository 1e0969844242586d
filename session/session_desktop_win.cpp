#include "session/session_desktop_win.h"

#include <shellapi.h>

#include <fstream>

#include "session/session_log_win.h"

namespace {

constexpr UINT kTrayIconId = 1;
// ExitWindowsEx: end the session's programs and the session; EWX_FORCEIFHUNG also ends a
// program that does not answer the end-session messages, so a hung program cannot keep the user
// logged on, while programs that answer can still save their work.
constexpr UINT kLogoffFlags = EWX_LOGOFF | EWX_FORCEIFHUNG;
// The reason recorded with the logoff: planned, other.
constexpr DWORD kLogoffReason = SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED;

void ReportFailure(const char* call, DWORD code) { ReportFailedCall(call, code); }

// The program's own icon (resource 1) at the small icon size, else the system's information icon.
// Both are shared (LR_SHARED): never destroyed.
HICON TrayIcon() {
  auto* icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  return icon != nullptr ? icon : LoadIconA(nullptr, IDI_INFORMATION);
}

}  // namespace

WindowsSessionDesktop::WindowsSessionDesktop(HWND window, UINT trayMessage, std::string logoffLogForTesting)
    : window_(window), trayMessage_(trayMessage), logoffLogForTesting_(std::move(logoffLogForTesting)) {}

WindowsSessionDesktop::~WindowsSessionDesktop() {
  if (trayShown_) NotifyTray(NIM_DELETE);
}

uint64_t WindowsSessionDesktop::SteadyMilliseconds() { return GetTickCount64(); }

bool WindowsSessionDesktop::NotifyTray(DWORD action) {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = kTrayIconId;
  if (action != NIM_DELETE) {
    data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    data.uCallbackMessage = trayMessage_;
    data.hIcon = TrayIcon();
    lstrcpynA(data.szTip, tip_.c_str(), sizeof data.szTip);
  }
  if (Shell_NotifyIconA(action, &data)) return true;
  ReportFailure("Shell_NotifyIconA", GetLastError());
  return false;
}

void WindowsSessionDesktop::ShowTrayTip(const std::string& text) {
  tip_ = text;
  if (text.empty()) {
    if (trayShown_) NotifyTray(NIM_DELETE);
    trayShown_ = false;
  } else if (trayShown_) {
    NotifyTray(NIM_MODIFY);
  } else {
    trayShown_ = NotifyTray(NIM_ADD);
  }
}

void WindowsSessionDesktop::RestoreTrayIcon() {
  if (!tip_.empty()) trayShown_ = NotifyTray(NIM_ADD);
}

void WindowsSessionDesktop::ShowWarning(const std::string& text, bool offerMoreTime) {
  warning_.Show(text, offerMoreTime);
  KeepDialogAbove();
}

void WindowsSessionDesktop::ShowLogoffNotice(const std::string& text, bool offerMoreTime, bool offerGrace) {
  warning_.Hide();
  logoffNotice_.Show(text, offerMoreTime, offerGrace);
  KeepDialogAbove();
}

bool WindowsSessionDesktop::CodeBeingTyped() { return dialog_ != nullptr && dialog_->CodeBeingTyped(); }

void WindowsSessionDesktop::HideLogoffNotice() { logoffNotice_.Hide(); }

void WindowsSessionDesktop::KeepDialogAbove() {
  if (dialog_ != nullptr && dialog_->Handle() != nullptr)
    SetWindowPos(dialog_->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void WindowsSessionDesktop::SetButtonMessages(UINT moreTimeMessage, UINT graceMessage, const MoreTimeDialog* dialog) {
  dialog_ = dialog;
  warning_.SetButtonTarget(window_, moreTimeMessage, graceMessage);
  logoffNotice_.SetButtonTarget(window_, moreTimeMessage, graceMessage);
}

bool WindowsSessionDesktop::RecordForTesting(const char* call) const {
  std::ofstream log(logoffLogForTesting_, std::ios::app);
  log << call << "\n";
  return static_cast<bool>(log.flush());
}

bool WindowsSessionDesktop::LogOff() {
  if (!logoffLogForTesting_.empty()) return RecordForTesting("ExitWindowsEx(EWX_LOGOFF | EWX_FORCEIFHUNG)");
  if (ExitWindowsEx(kLogoffFlags, kLogoffReason)) return true;
  ReportFailure("ExitWindowsEx", GetLastError());
  return false;
}

bool WindowsSessionDesktop::Lock() {
  if (!logoffLogForTesting_.empty()) return RecordForTesting("LockWorkStation()");
  // Asynchronous: success says the lock was started, not that the screen is locked; the service
  // learns that from the session's state and disconnects a session that stays in use.
  if (LockWorkStation()) return true;
  ReportFailure("LockWorkStation", GetLastError());
  return false;
}
