#pragma once

#include "platform/timer.h"

// A timer that never ticks by itself; the tests call the tick handler directly.
class FakeTimer : public Timer {
 public:
  void SetEnabled(bool enabled) override {
    enabled_ = enabled;
    ++switches_;
  }
  bool Enabled() const override { return enabled_; }
  int Switches() const { return switches_; }

 private:
  bool enabled_ = false;
  int switches_ = 0;
};
