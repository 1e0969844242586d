#include "session/session_window_win.h"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <memory>

#include "platform/clock_win.h"
#include "session/session_log_win.h"
#include "platform/companion_window.h"
#include "parentcode/more_time_protocol.h"
#include "platform/installed_service_win.h"
#include "parentcode/pipe_client_win.h"
#include "session/more_time_dialog_win.h"
#include "session/session_desktop_win.h"
#include "session/session_tool.h"
#include "settings/registry_access_win.h"

namespace {

constexpr char kWindowClass[] = "HourwardenSessionTool";
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTrayMessage = WM_APP + 1;
// Posted by the notices' buttons "Ask for more time..." and "I need to save my work".
constexpr UINT kAskForMoreTimeMessage = WM_APP + 2;
constexpr UINT kAskForGraceMessage = WM_APP + 3;
// The tray menu's item "Ask for more time...".
constexpr UINT kAskForMoreTimeCommand = 1;
// The timer fires at least once a second, so the countdown shows every second.
constexpr int kLongestTickMilliseconds = 1000;

void ReportFailure(const char* call) { ReportFailedCall(call, GetLastError()); }

// What the window's procedure reaches through the window.
struct WindowContext {
  SessionTool* tool = nullptr;
  WindowsSessionDesktop* desktop = nullptr;
  UINT taskbarCreated = 0;
  MoreTimeDialog* dialog = nullptr;
};

void OpenMoreTimeDialog(WindowContext& context) {
  SessionTool* tool = context.tool;
  tool->RefreshServiceStatus();
  const auto ask = [tool](const std::string& code) {
    MoreTimeDialog::Answer answer;
    answer.text = tool->AskForMoreTime(code);
    answer.accepted = tool->LastAnswerGaveTime();
    // Nothing reached the service: the digits stay, to be sent again or completed.
    answer.keepCode = answer.text == kCodeOfSixDigitsText || answer.text == kServiceUnreachableText;
    return answer;
  };
  context.dialog->Open(tool->MinutesByCode(), ask, context.desktop->CountdownWindow());
}

// The tray icon's menu, at the mouse: "Ask for more time...", greyed when no time may be asked for.
void ShowTrayMenu(HWND window, const WindowContext& context) {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) {
    ReportFailure("CreatePopupMenu");
    return;
  }
  context.tool->RefreshServiceStatus();
  const UINT state = context.tool->MinutesByCode() > 0 ? MF_ENABLED : MF_GRAYED;
  AppendMenuA(menu, MF_STRING | state, kAskForMoreTimeCommand, "Ask for more time...");
  POINT at{};
  GetCursorPos(&at);
  SetForegroundWindow(window);  // so that the menu closes when the user clicks elsewhere
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
  DestroyMenu(menu);
}

LRESULT CALLBACK SessionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* context = reinterpret_cast<WindowContext*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_TIMER:
      if (context != nullptr && context->tool != nullptr && wParam == kTimerId) {
        // Nothing may leave a window procedure; a failed tick is tried again at the next one.
        try {
          context->tool->Tick();
        } catch (const std::exception& error) {
          ReportSessionFailure(error.what());
        }
      }
      return 0;
    case kTrayMessage:
      if (context != nullptr && (lParam == WM_RBUTTONUP || lParam == WM_LBUTTONUP || lParam == WM_CONTEXTMENU))
        ShowTrayMenu(window, *context);
      return 0;
    case kAskForMoreTimeMessage:
      if (context != nullptr) OpenMoreTimeDialog(*context);
      return 0;
    case kAskForGraceMessage:
      if (context != nullptr) context->tool->AskForGrace();
      return 0;
    case WM_COMMAND:
      if (context != nullptr && LOWORD(wParam) == kAskForMoreTimeCommand) OpenMoreTimeDialog(*context);
      return 0;
    case WM_CLOSE:
      // The service's uninstall sends this: end cleanly.
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      KillTimer(window, kTimerId);
      if (context != nullptr && context->desktop != nullptr) context->desktop->ShowTrayTip("");  // the icon goes too
      PostQuitMessage(0);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    default:
      if (context != nullptr && context->desktop != nullptr && context->taskbarCreated != 0 &&
          message == context->taskbarCreated) {
        context->desktop->RestoreTrayIcon();
        return 0;
      }
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int RunSessionWindow(const std::string& userName, const SessionCommandLine& commandLine) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = SessionWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kWindowClass;
  if (RegisterClassA(&windowClass) == 0) {
    ReportFailure("RegisterClassA");
    return 1;
  }
  // A top-level window that is never shown: FindWindowA finds hidden top-level windows too, but
  // not message-only ones.
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, kCompanionWindowTitle, WS_OVERLAPPED, 0, 0, 0, 0,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr) {
    ReportFailure("CreateWindowExA");
    return 1;
  }

  WindowsClock clock;
  WindowsSessionDesktop desktop(window, kTrayMessage, commandLine.logoffLogForTesting);
  SessionTool tool(userName, OpenWindowsRegistry, clock, desktop, commandLine.timing);
  WindowsInstalledServiceSource services;
  PipeRequestClient moreTime(kMoreTimePipeName, kServiceName, services, commandLine.servicesSessionForTesting);
  tool.SetMoreTimeClient(&moreTime);
  MoreTimeDialog dialog;
  desktop.SetButtonMessages(kAskForMoreTimeMessage, kAskForGraceMessage, &dialog);
  WindowContext context{&tool, &desktop, RegisterWindowMessageA("TaskbarCreated"), &dialog};
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&context));

  const int interval = std::min(commandLine.timing.pollMilliseconds, kLongestTickMilliseconds);
  if (SetTimer(window, kTimerId, static_cast<UINT>(interval), nullptr) == 0) {
    ReportFailure("SetTimer");
    DestroyWindow(window);
    return 1;
  }
  PostMessageA(window, WM_TIMER, kTimerId, 0);  // the first poll at once

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Tab, Enter and Escape move about and answer in the dialog.
    if (dialog.Handle() != nullptr && IsDialogMessageW(dialog.Handle(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (IsWindow(window)) DestroyWindow(window);
  return 0;
}
