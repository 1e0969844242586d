#pragma once

#include "platform/utc_clock.h"

// GetSystemTimeAsFileTime.
class WindowsUtcClock : public UtcClock {
 public:
  int64_t UtcSeconds() const override;
};
