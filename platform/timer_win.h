#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "platform/timer.h"

// A timer on a message-only window owned by the creating thread; that thread's message loop
// delivers the ticks (WM_TIMER). An exception that escapes a tick cannot cross the window
// procedure, so it is handed to the error handler instead, as is a timer that cannot be set when
// it is switched on. The window is made, and the timer set once, where the timer is made: a failure
// there is kept as its readiness.
class WindowsTimer : public Timer {
 public:
  WindowsTimer(int intervalMs, std::function<void()> onTick, std::function<void(const std::string&)> onError);
  ~WindowsTimer() override;
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }
  CallResult<> Readiness() const override { return readiness_; }

 private:
  static long long __stdcall WindowProc(void* window, unsigned message, unsigned long long wParam, long long lParam);
  void Apply(bool enabled);
  void Tick();

  int intervalMs_;
  std::function<void()> onTick_;
  std::function<void(const std::string&)> onError_;
  void* window_ = nullptr;
  unsigned long ownerThread_ = 0;
  std::atomic<bool> enabled_{false};
  CallResult<> readiness_;
};
