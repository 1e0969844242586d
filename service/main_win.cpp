// Program entry: builds the Windows platform and the service object, then installs, uninstalls or
// runs the service as the command line says.

#include <windows.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "service/host_messages.h"
#include "service/hourwarden.h"
#include "service/event_sources_win.h"
#include "service/safe_boot_entries_win.h"
#include "service/service_application_win.h"
#include "service/windows_platform_win.h"

namespace {

// The program entry's error box, task-modal with an error icon.
void ShowApplicationError(const std::string& className, const std::string& message) {
  const std::string text = ApplicationErrorMessage(className, ExecutableFileName(), nullptr, message);
  MessageBoxA(nullptr, text.c_str(), "Application Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace

// Exit code 0, or 1 when an install or uninstall failed (its dialog says why), so that scripts
// and installers can tell.
int main(int argc, char** argv) {
  bool succeeded = true;
  try {
    WindowsServiceHostPlatform host;
    TEventLogger applicationLog(ExecutableFileName());
    WindowsServicePlatform platform(
        [&applicationLog](const std::string& message) { applicationLog.LogMessage(message); });

    WindowsServiceManager manager;
    WindowsEventSources eventSources;
    WindowsSafeBootEntries safeBoot;
    WindowsDialogs dialogs;
    TServiceApplication::Platform applicationPlatform;
    applicationPlatform.installer = {&manager, &eventSources, &safeBoot, &dialogs};
    applicationPlatform.exePath = ExecutablePath();
    applicationPlatform.runServiceMode = [&host, &applicationLog](TServiceApplication& application) {
      RunServiceMode(application, host, applicationLog);
    };

    TServiceApplication application(applicationPlatform);
    application.Initialize();
    application.Title = "Hourwarden service";
    application.CreateForm(THourwarden::Create(platform.Platform()));
    succeeded = application.Run(std::vector<std::string>(argv + 1, argv + argc));
    application.DestroyServices();
  } catch (const EOSError& error) {
    ShowApplicationError("EOSError", error.what());
    succeeded = false;
  } catch (const std::exception& error) {
    ShowApplicationError("Exception", error.what());
    succeeded = false;
  } catch (...) {
    ShowApplicationError("Exception", "An exception of an unknown kind ended the program");
    succeeded = false;
  }
  return succeeded ? 0 : 1;
}
