#include "service/windows_platform_win.h"

#include <memory>

#include "platform/log_file_system_win.h"
#include "platform/module_path_win.h"
#include "platform/timer_win.h"
#include "settings/registry_access_win.h"

WindowsServicePlatform::WindowsServicePlatform(std::function<void(const std::string&)> reportException) {
  platform_.clock = &clock_;
  platform_.regionalFormat = &regionalFormat_;
  logFileSystem_ = MakeLogFileSystem(DefaultServiceLogFolder());
  platform_.fileAttributes = &fileAttributes_;
  platform_.logFileSystem = logFileSystem_.get();
  platform_.companionWindow = &companionWindow_;
  platform_.openRegistry = OpenWindowsRegistry;
  platform_.timePageFetcher = &timePageFetcher_;
  platform_.systemClockSetter = &systemClockSetter_;
  platform_.timeZones = &timeZones_;
  platform_.buildTimeUtc = ExecutableBuildTimeUtc();
  platform_.processSource = &processSource_;
  platform_.accountControl = &accountControl_;
  platform_.sessionControl = &sessionControl_;
  platform_.reportException = reportException;
  platform_.makeTimer = [reportException](int intervalMs, std::function<void()> onTick) -> std::unique_ptr<Timer> {
    return std::make_unique<WindowsTimer>(intervalMs, std::move(onTick), reportException);
  };
}
