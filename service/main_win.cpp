// Program entry: builds the Windows platform and the service object, then installs, uninstalls or
// runs the service as the command line says.

#include <windows.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock_win.h"
#include "platform/companion_window_win.h"
#include "platform/file_attributes_win.h"
#include "platform/regional_format_win.h"
#include "platform/timer_win.h"
#include "service/host_messages.h"
#include "service/hourwarden.h"
#include "service/service_application_win.h"

namespace {

// The program entry's error box, task-modal with an error icon.
void ShowApplicationError(const std::string& className, const std::string& message) {
  const std::string text = ApplicationErrorMessage(className, ExecutableFileName(), nullptr, message);
  MessageBoxA(nullptr, text.c_str(), "Application Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    WindowsClock clock;
    WindowsRegionalFormat regionalFormat;
    WindowsFileAttributes fileAttributes;
    WindowsCompanionWindow companionWindow;
    WindowsServiceHostPlatform host;
    TEventLogger applicationLog(ExecutableFileName());

    ServicePlatform platform;
    platform.clock = &clock;
    platform.regionalFormat = &regionalFormat;
    platform.fileAttributes = &fileAttributes;
    platform.companionWindow = &companionWindow;
    platform.reportException = [&applicationLog](const std::string& message) { applicationLog.LogMessage(message); };
    platform.makeTimer = [&platform](int intervalMs, std::function<void()> onTick) -> std::unique_ptr<Timer> {
      return std::make_unique<WindowsTimer>(intervalMs, std::move(onTick), platform.reportException);
    };

    WindowsServiceManager manager;
    WindowsDialogs dialogs;
    TServiceApplication::Platform applicationPlatform;
    applicationPlatform.manager = &manager;
    applicationPlatform.dialogs = &dialogs;
    applicationPlatform.exePath = ExecutablePath();
    applicationPlatform.runServiceMode = [&host, &applicationLog](TServiceApplication& application) {
      RunServiceMode(application, host, applicationLog);
    };

    TServiceApplication application(applicationPlatform);
    application.Initialize();
    application.Title = "Hourwarden service";
    application.CreateForm(THourwarden::Create(platform));
    application.Run(std::vector<std::string>(argv + 1, argv + argc));
    application.DestroyServices();
  } catch (const EOSError& error) {
    ShowApplicationError("EOSError", error.what());
  } catch (const std::exception& error) {
    ShowApplicationError("Exception", error.what());
  }
  return 0;
}
