// Program entry: builds the Windows platform and the service object, then installs, uninstalls or
// runs the service as the command line says.

#include <windows.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "platform/wide_text_win.h"
#include "service/event_sources_win.h"
#include "service/host_messages.h"
#include "service/hourwarden.h"
#include "service/safe_boot_entries_win.h"
#include "service/service_application_win.h"
#include "service/windows_platform_win.h"

namespace {

// The program entry's failure report. An install or uninstall run has an administrator at the
// screen: a task-modal error box with an error icon. In service mode the process runs in session
// 0, where nobody can see a box, let alone close it, and the process would wait for ever: the
// text goes to the event log under the executable's file name instead.
class EntryFailureReport {
 public:
  EntryFailureReport(bool interactive, EventLogger& applicationLog)
      : interactive_(interactive), applicationLog_(applicationLog) {}
  void operator()(const std::string& className, const std::string& message) const {
    const std::string text = ApplicationErrorMessage(className, ExecutableFileName(), nullptr, message);
    if (interactive_)
      MessageBoxW(nullptr, WideFromUtf8(text).c_str(), L"Application Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    else
      applicationLog_.LogMessage(text);
  }

 private:
  bool interactive_;
  EventLogger& applicationLog_;
};

}  // namespace

// Exit code 0, or 1 when an install or uninstall failed (its dialog says why) or an exception
// ended the program, so that scripts, installers and the service control manager can tell.
int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const CommandLineSwitches switches = ParseSwitches(arguments);
  TEventLogger applicationLog(ExecutableFileName());
  const EntryFailureReport reportFailure(switches.install || switches.uninstall, applicationLog);
  bool succeeded = true;
  try {
    WindowsServiceControlHost host;
    WindowsServicePlatform platform(
        [&applicationLog](const std::string& message) { applicationLog.LogMessage(message); });

    WindowsServiceManager manager;
    WindowsEventSources eventSources;
    WindowsSafeBootEntries safeBoot;
    WindowsDialogs dialogs;
    TServiceApplication::Setup applicationSetup;
    applicationSetup.installer = {&manager, &eventSources, &safeBoot, &dialogs};
    applicationSetup.exePath = ExecutablePath();
    applicationSetup.runServiceMode = [&host, &applicationLog](TServiceApplication& application) {
      RunServiceMode(application, host, applicationLog);
    };

    TServiceApplication application(applicationSetup);
    application.Initialize();
    application.Title = "Hourwarden service";
    application.CreateForm(THourwarden::Create(platform.Platform()));
    succeeded = application.Run(arguments);
    application.DestroyServices();
  } catch (const EOSError& error) {
    reportFailure("EOSError", error.what());
    succeeded = false;
  } catch (const std::exception& error) {
    reportFailure("Exception", error.what());
    succeeded = false;
  } catch (...) {
    reportFailure("Exception", "An exception of an unknown kind ended the program");
    succeeded = false;
  }
  return succeeded ? 0 : 1;
}
