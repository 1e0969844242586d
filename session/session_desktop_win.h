#pragma once

#include <windows.h>

#include <string>

#include "session/more_time_dialog_win.h"
#include "session/notice_window_win.h"
#include "session/session_desktop.h"

// The desktop of the user's session: the tray icon belongs to the tool's window, the warnings and
// the countdown are topmost windows, the sign-out is ExitWindowsEx and the lock LockWorkStation.
class WindowsSessionDesktop : public SessionDesktop {
 public:
  // trayMessage is the message the tray icon sends to the window. A non-empty logoffLogForTesting
  // is a test hook: the sign-out and the lock then only append a line to that file (ending or
  // locking the session would end a whole Wine session); it is never given on a real computer.
  WindowsSessionDesktop(HWND window, UINT trayMessage, std::string logoffLogForTesting);
  ~WindowsSessionDesktop() override;
  WindowsSessionDesktop(const WindowsSessionDesktop&) = delete;
  WindowsSessionDesktop& operator=(const WindowsSessionDesktop&) = delete;

  uint64_t SteadyMilliseconds() override;
  void ShowTrayTip(const std::string& text) override;
  void ShowWarning(const std::string& text, bool offerMoreTime) override;
  void ShowLogoffNotice(const std::string& text, bool offerMoreTime, bool offerGrace) override;
  void HideLogoffNotice() override;
  bool CodeBeingTyped() override;
  // The notices' buttons "Ask for more time..." and "I need to save my work" post these messages
  // to the tool's window; the dialog the first opens stays above the notices, which are brought
  // up again at every change.
  void SetButtonMessages(UINT moreTimeMessage, UINT graceMessage, const MoreTimeDialog* dialog);
  bool LogOff() override;
  bool Lock() override;
  // The countdown's window, to place the dialog below it; nullptr before it is first shown.
  HWND CountdownWindow() const { return logoffNotice_.Handle(); }

  // Adds the tray icon again after the taskbar has been recreated (Explorer restarted).
  void RestoreTrayIcon();

 private:
  bool NotifyTray(DWORD action);
  // Appends the call to the test hook's file; false when it cannot be written.
  bool RecordForTesting(const char* call) const;
  void KeepDialogAbove();

  HWND window_;
  UINT trayMessage_;
  std::string logoffLogForTesting_;
  std::string tip_;
  bool trayShown_ = false;
  NoticeWindow warning_{true};
  NoticeWindow logoffNotice_{false};
  const MoreTimeDialog* dialog_ = nullptr;
};
