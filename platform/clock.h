#pragma once

#include <cstdint>

// The local clock, read through an interface so the scheduler, the engine and the logs can be
// driven by a controlled clock in tests.
class Clock {
 public:
  virtual ~Clock() = default;
  // The current local date and time, days since 1899-12-30.
  virtual double Now() const = 0;
  // The calendar time in whole seconds; only differences of two readings are used.
  virtual int32_t CalendarSeconds() const = 0;
};
