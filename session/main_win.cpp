// Program entry of the session tool: installs or removes its start at logon, or runs it in the
// user's session, one per session.

#include <windows.h>

#include <iterator>
#include <string>
#include <vector>

#include "platform/companion_window.h"
#include "base/string_list.h"
#include "platform/unique_handle_win.h"
#include "platform/wide_text_win.h"
#include "session/session_log_win.h"
#include "platform/dialogs_win.h"
#include "platform/module_path_win.h"
#include "session/session_options.h"
#include "session/session_window_win.h"
#include "session/startup_registry_win.h"

namespace {

// Named in the session's own namespace, so each logged-on user gets one tool.
constexpr char kInstanceMutex[] = "Local\\HourwardenSessionTool";

void ReportFailure(const char* call, DWORD code) { ReportFailedCall(call, code); }

// True when the session's tool already runs: a window of the tool's title in this session whose
// process is this very program. The mutex alone proves nothing, since any program of the user can
// make one of that name first; a program of the user cannot lie in the tool's folder, which only
// administrators may change.
bool GenuineToolRuns() {
  HWND window = FindWindowA(nullptr, kCompanionWindowTitle);
  DWORD processId = 0;
  if (window == nullptr || GetWindowThreadProcessId(window, &processId) == 0) return false;
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  wchar_t image[MAX_PATH * 2];
  DWORD size = std::size(image);
  if (!process || !QueryFullProcessImageNameW(process.Get(), 0, image, &size)) return false;
  return SameText(Utf8FromWide({image, size}), ExecutablePath());
}

}  // namespace

int main(int argc, char** argv) {
  const SessionCommandLine commandLine = ParseSessionCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (commandLine.switches.install || commandLine.switches.uninstall) {
    WindowsStartupRegistry registry;
    WindowsDialogs dialogs;
    const bool done = commandLine.switches.install
                          ? InstallSessionStart(registry, dialogs, ExecutablePath(), commandLine.switches.silent)
                          : UninstallSessionStart(registry, dialogs, commandLine.switches.silent);
    return done ? 0 : 1;
  }

  UniqueHandle instance(CreateMutexA(nullptr, FALSE, kInstanceMutex));
  if (!instance) {
    ReportFailure("CreateMutexA", GetLastError());
    return 1;
  }
  if (GetLastError() == ERROR_ALREADY_EXISTS && GenuineToolRuns()) return 0;  // the session's tool runs

  // The user's logon name in UTF-16, whatever its alphabet; the size counts characters.
  wchar_t name[256 + 1] = L"";  // UNLEN + 1
  DWORD size = std::size(name);
  if (!GetUserNameW(name, &size)) {
    ReportFailure("GetUserNameW", GetLastError());
    return 1;
  }
  return RunSessionWindow(Utf8FromWide({name, wcsnlen(name, std::size(name))}), commandLine);
}
