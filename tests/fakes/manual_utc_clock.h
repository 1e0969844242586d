#pragma once

#include "platform/utc_clock.h"

// A UTC clock that only moves when the test moves it.
class ManualUtcClock : public UtcClock {
 public:
  int64_t UtcSeconds() const override { return seconds; }
  int64_t seconds = 1'796'673'900;  // Monday 7 December 2026 20:05 UTC, the first second of a step
};
