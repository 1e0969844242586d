#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "settings/stored_formats.h"

// When a user's restricted periods hold, minute by minute, judged as the service judges them: the
// time of day rendered "HH:mm" with the system's time separator and walked through the day's
// filter (engine/day_filter.h). The weekday's own filter applies from its first minute.

// A minute of the coming week: days after today (0 is today) and the minute of that day.
struct WeekMoment {
  int daysAhead = 0;
  int minute = 0;

  bool operator==(const WeekMoment&) const = default;
};

struct RestrictionOutlook {
  bool restrictedNow = false;
  std::optional<WeekMoment> freeAt;     // while restricted: the first free minute within a week
  std::optional<WeekMoment> nextStart;  // the next minute at which a restricted period begins
};

// The outlook at the local date-time for the seven day filters (Monday first).
RestrictionOutlook OutlookOf(const std::array<std::string, kDaysInWeek>& filters, double now);

// The moment for people, seen from a day with the weekday index: "21:00" today, "24:00" for the
// coming midnight, "Wed 08:00" on a later day.
std::string FormatMoment(const WeekMoment& moment, int todayIndex);
