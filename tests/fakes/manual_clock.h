#pragma once

#include <cmath>
#include <cstdint>

#include "platform/clock.h"
#include "base/date_time.h"

// Clocks that only move when the test moves them: the local clock in a system zone one hour east
// of UTC unless the test chooses another, the UTC clock, the calendar seconds and the tick count.
class ManualClock : public Clock {
 public:
  double Now() const override { return now_; }
  int32_t CalendarSeconds() const override { return seconds_; }
  double UtcNow() const override { return now_ - offsetMinutes_ / kMinutesPerDay; }
  uint64_t TickMilliseconds() const override { return tick_; }

  // Sets the local time in the system's zone; the UTC clock follows.
  void SetNow(const DateTimeParts& parts) { now_ = EncodeDateTime(parts); }
  void SetNow(double dateTime) { now_ = dateTime; }
  // Sets the UTC time; the local clock follows.
  void SetUtc(const DateTimeParts& parts) { SetUtc(EncodeDateTime(parts)); }
  void SetUtc(double utc) { now_ = utc + offsetMinutes_ / kMinutesPerDay; }
  void SetCalendarSeconds(int32_t seconds) { seconds_ = seconds; }
  // Chooses the system's zone, minutes east of UTC, as a user may: the local clock moves, the UTC
  // clock does not.
  void SetSystemZoneOffset(int minutes) {
    const double utc = UtcNow();
    offsetMinutes_ = minutes;
    SetUtc(utc);
  }
  // Lets time pass: every reading moves forward (or back, for a negative count).
  void AdvanceSeconds(int seconds) {
    now_ += seconds / 86400.0;
    seconds_ += seconds;
    tick_ += static_cast<uint64_t>(static_cast<int64_t>(seconds) * 1000);
  }
  // Sets the system clock to the UTC time, as SetSystemTime does: the local clock and the
  // calendar seconds move with it, the tick count stays.
  void SetSystemClock(const DateTimeParts& utc) { MoveClockSeconds(static_cast<int>(std::llround((EncodeDateTime(utc) - UtcNow()) * 86400))); }
  // Sets the clock forward (or back), as a user with the right to would: the tick count stays.
  void MoveClockSeconds(int seconds) {
    now_ += seconds / 86400.0;
    seconds_ += seconds;
  }

 private:
  static constexpr double kMinutesPerDay = 1440;
  double now_ = EncodeDateTime({2026, 12, 8, 10, 0, 0, 0});
  int offsetMinutes_ = 60;
  int32_t seconds_ = 1'000'000;
  uint64_t tick_ = 50'000'000;
};
