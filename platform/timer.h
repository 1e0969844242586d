#pragma once

#include <functional>
#include <memory>

#include "base/call_result.h"

// A periodic tick source. Ticks are delivered on the thread that created the timer; while a tick
// is being handled further due ticks are merged into one.
class Timer {
 public:
  virtual ~Timer() = default;
  // Starts or stops the ticks; may be called from any thread.
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  // Whether the timer can tick: the failed call when its window could not be made or the timer
  // could not be set.
  virtual CallResult<> Readiness() const = 0;
};

// Builds a timer with the interval in milliseconds and the handler of its ticks.
using TimerFactory = std::function<std::unique_ptr<Timer>(int intervalMs, std::function<void()> onTick)>;
