#include "service/windows_platform_win.h"

#include <memory>
#include <thread>

#include "core/log_file_trust.h"
#include "parentcode/more_time_protocol.h"
#include "platform/log_file_system_win.h"
#include "platform/module_path_win.h"
#include "platform/timer_win.h"
#include "service/request_pipe_win.h"
#include "settings/registry_access_win.h"

WindowsServicePlatform::WindowsServicePlatform(std::function<void(const std::string&)> reportException) {
  platform_.clock = &clock_;
  platform_.regionalFormat = &regionalFormat_;
  logFileSystem_ = MakeLogFileSystem(DefaultServiceLogFolder(), LogFileDistrust);
  platform_.fileAttributes = &fileAttributes_;
  platform_.logFileSystem = logFileSystem_.get();
  platform_.companionWindow = &companionWindow_;
  platform_.openRegistry = OpenWindowsRegistry;
  platform_.timePageFetcher = timePageFetcher_;
  // The time checks: a thread each, never joined; one still running at the end of the process
  // is ended with it.
  platform_.runWorker = [](std::function<void()> work) { std::thread(std::move(work)).detach(); };
  platform_.systemClockSetter = &systemClockSetter_;
  platform_.timeZones = &timeZones_;
  platform_.buildTimeUtc = ExecutableBuildTimeUtc();
  platform_.processSource = &processSource_;
  platform_.accountControl = &accountControl_;
  platform_.sessionControl = &sessionControl_;
  platform_.reportException = reportException;
  platform_.hmac = &hmac_;
  platform_.makeRequestServer = [](RequestHandler onRequest, ServerFailureHandler onFailure) -> std::unique_ptr<RequestServer> {
    return std::make_unique<RequestPipeServer>(kMoreTimePipeName, std::move(onRequest), std::move(onFailure));
  };
  platform_.makeTimer = [reportException](int intervalMs, std::function<void()> onTick) -> std::unique_ptr<Timer> {
    return std::make_unique<WindowsTimer>(intervalMs, std::move(onTick), reportException);
  };
}
