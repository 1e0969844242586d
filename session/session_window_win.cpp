#include "session/session_window_win.h"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <memory>

#include "platform/clock_win.h"
#include "platform/win_error.h"
#include "platform/companion_window.h"
#include "session/session_desktop_win.h"
#include "session/session_tool.h"
#include "settings/registry_access_win.h"

namespace {

constexpr char kWindowClass[] = "HourwardenSessionTool";
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTrayMessage = WM_APP + 1;
// The timer fires at least once a second, so the countdown shows every second.
constexpr int kLongestTickMilliseconds = 1000;

void ReportFailure(const char* call) { OutputDebugStringA(DescribeWindowsFailure(call, GetLastError()).c_str()); }

// What the window's procedure reaches through the window.
struct WindowContext {
  SessionTool* tool = nullptr;
  WindowsSessionDesktop* desktop = nullptr;
  UINT taskbarCreated = 0;
};

LRESULT CALLBACK SessionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* context = reinterpret_cast<WindowContext*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_TIMER:
      if (context != nullptr && context->tool != nullptr && wParam == kTimerId) {
        // Nothing may leave a window procedure; a failed tick is tried again at the next one.
        try {
          context->tool->Tick();
        } catch (const std::exception& error) {
          OutputDebugStringA(error.what());
        }
      }
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
  WindowContext context{&tool, &desktop, RegisterWindowMessageA("TaskbarCreated")};
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&context));

  const int interval = std::min(commandLine.timing.pollMilliseconds, kLongestTickMilliseconds);
  if (SetTimer(window, kTimerId, static_cast<UINT>(interval), nullptr) == 0) {
    ReportFailure("SetTimer");
    DestroyWindow(window);
    return 1;
  }
  PostMessageA(window, WM_TIMER, kTimerId, 0);  // the first poll at once

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  if (IsWindow(window)) DestroyWindow(window);
  return 0;
}
