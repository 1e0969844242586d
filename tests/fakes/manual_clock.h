#pragma once

#include "platform/clock.h"
#include "platform/date_time.h"

// A clock that only moves when the test moves it.
class ManualClock : public Clock {
 public:
  double Now() const override { return now_; }
  int32_t CalendarSeconds() const override { return seconds_; }

  void SetNow(const DateTimeParts& parts) { now_ = EncodeDateTime(parts); }
  void SetNow(double dateTime) { now_ = dateTime; }
  void SetCalendarSeconds(int32_t seconds) { seconds_ = seconds; }
  // Moves both readings forward (or back, for a negative count).
  void AdvanceSeconds(int seconds) {
    now_ += seconds / 86400.0;
    seconds_ += seconds;
  }

 private:
  double now_ = EncodeDateTime({2026, 12, 8, 10, 0, 0, 0});
  int32_t seconds_ = 1'000'000;
};
