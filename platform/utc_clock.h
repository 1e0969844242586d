#pragma once

#include <cstdint>

// The system's clock in UTC, which a change of time zone does not move: the one-time codes of the
// parent's code are counted from it.
class UtcClock {
 public:
  virtual ~UtcClock() = default;
  // Whole seconds since 1970-01-01 00:00 UTC.
  virtual int64_t UtcSeconds() const = 0;
};
