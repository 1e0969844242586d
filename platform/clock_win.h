#pragma once

#include "platform/clock.h"

// The Windows local clock.
class WindowsClock : public Clock {
 public:
  double Now() const override;
  int32_t CalendarSeconds() const override;
};
