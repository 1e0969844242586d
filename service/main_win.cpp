// Program entry. Until the service host is built this runs the service object in the console
// for a given number of seconds (65 by default): create, start, execute with the timer ticking
// on this thread, stop, destroy.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "census/process_source_win.h"
#include "platform/clock_win.h"
#include "platform/companion_window_win.h"
#include "platform/file_attributes_win.h"
#include "platform/regional_format_win.h"
#include "platform/timer_win.h"
#include "service/hourwarden.h"

namespace {

// Ends the request loop once the run time is over, with a stop request.
class TimedRequestLoop : public ServiceRequestLoop {
 public:
  TimedRequestLoop(THourwarden& service, std::chrono::steady_clock::time_point end) : service_(service), end_(end) {}
  bool Terminated() const override { return terminated_; }
  void ProcessRequests(bool) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    if (std::chrono::steady_clock::now() < end_) return;
    bool stopped = true;
    service_.ServiceStop(stopped);
    terminated_ = stopped;
  }

 private:
  THourwarden& service_;
  std::chrono::steady_clock::time_point end_;
  bool terminated_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 65;
  WindowsClock clock;
  WindowsRegionalFormat regionalFormat;
  WindowsFileAttributes fileAttributes;
  WindowsCompanionWindow companionWindow;
  WindowsProcessSource processSource;
  ServicePlatform platform;
  platform.clock = &clock;
  platform.regionalFormat = &regionalFormat;
  platform.fileAttributes = &fileAttributes;
  platform.companionWindow = &companionWindow;
  platform.processSource = &processSource;
  platform.reportException = [](const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); };
  platform.makeTimer = [&platform](int intervalMs, std::function<void()> onTick) -> std::unique_ptr<Timer> {
    return std::make_unique<WindowsTimer>(intervalMs, std::move(onTick), platform.reportException);
  };

  std::unique_ptr<THourwarden> service = THourwarden::Create(platform);
  TimedRequestLoop loop(*service, std::chrono::steady_clock::now() + std::chrono::seconds(seconds));
  service->AttachRequestLoop(&loop);
  const DWORD mainThread = GetCurrentThreadId();
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // make sure this thread has a message queue

  std::thread serviceThread([&] {
    try {
      bool started = true;
      service->ServiceStart(started);
      if (started) service->ServiceExecute();
    } catch (const std::exception& error) {
      std::fprintf(stderr, "Service failed: %s\n", error.what());
    }
    PostThreadMessageA(mainThread, WM_QUIT, 0, 0);
  });
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  serviceThread.join();
  service.reset();
  return 0;
}
