#pragma once

#include <windows.h>

#include <string>

#include "session/more_time_dialog_win.h"
#include "session/notice_window_win.h"
#include "session/session_desktop.h"

// The desktop of the user's session: the tray icon belongs to the tool's window, the warnings and
// the logoff notice are topmost windows, and the logoff is ExitWindowsEx.
class WindowsSessionDesktop : public SessionDesktop {
 public:
  // trayMessage is the message the tray icon sends to the window. A non-empty logoffLogForTesting
  // is a test hook: the logoff then only appends a line to that file (ending the session would
  // end a whole Wine session); it is never given on a real computer.
  WindowsSessionDesktop(HWND window, UINT trayMessage, std::string logoffLogForTesting);
  ~WindowsSessionDesktop() override;
  WindowsSessionDesktop(const WindowsSessionDesktop&) = delete;
  WindowsSessionDesktop& operator=(const WindowsSessionDesktop&) = delete;

  uint64_t SteadyMilliseconds() override;
  void ShowTrayTip(const std::string& text) override;
  void ShowWarning(const std::string& text, bool offerMoreTime) override;
  void ShowLogoffNotice(const std::string& text, bool offerMoreTime) override;
  void HideLogoffNotice() override;
  // The notices' button "Ask for more time..." posts this message to the tool's window; the
  // dialog it opens stays above the notices, which are brought up again at every change.
  void SetMoreTimeMessage(UINT message, const MoreTimeDialog* dialog);
  bool LogOff() override;

  // Adds the tray icon again after the taskbar has been recreated (Explorer restarted).
  void RestoreTrayIcon();

 private:
  bool NotifyTray(DWORD action);
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
