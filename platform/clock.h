#pragma once

#include <cstdint>

// The clocks of the machine, read through an interface so the scheduler, the engine and the logs
// can be driven by a controlled clock in tests.
class Clock {
 public:
  virtual ~Clock() = default;
  // The current local date and time in the system's time zone, days since 1899-12-30.
  virtual double Now() const = 0;
  // The calendar time in whole seconds; only differences of two readings are used.
  virtual int32_t CalendarSeconds() const = 0;
  // The current UTC date and time, days since 1899-12-30: what the system clock holds, whatever
  // the time zone.
  virtual double UtcNow() const = 0;
  // Milliseconds since the system started, sleep included. Nobody can set it, so it shows how
  // much time really passed between two readings, however the clock was moved meanwhile.
  virtual uint64_t TickMilliseconds() const = 0;
};
