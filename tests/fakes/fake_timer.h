#pragma once

#include <atomic>

#include "platform/timer.h"

// A timer that never ticks by itself; the tests call the tick handler directly.
class FakeTimer : public Timer {
 public:
  void SetEnabled(bool enabled) override {
    enabled_ = enabled;
    ++switches_;
  }
  bool Enabled() const override { return enabled_; }
  CallResult<> Readiness() const override { return readiness; }
  int Switches() const { return switches_; }

  CallResult<> readiness;

 private:
  std::atomic<bool> enabled_{false};
  std::atomic<int> switches_{0};
};
