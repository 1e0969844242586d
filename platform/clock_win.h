#pragma once

#include "platform/clock.h"

// The Windows clocks: the local clock, the system clock in UTC and the tick count.
class WindowsClock : public Clock {
 public:
  double Now() const override;
  int32_t CalendarSeconds() const override;
  double UtcNow() const override;
  uint64_t TickMilliseconds() const override;
};
