#include "engine/time_left.h"

#include <cstdint>
#include <limits>

#include "engine/day_filter.h"
#include "base/date_time.h"
#include "settings/stored_formats.h"

namespace {

constexpr int kMinutesPerDay = 24 * 60;

// The minute of the day as the service renders the time of day.
std::string MinuteText(int minuteOfDay) {
  return FilterTimeText(EncodeDateTime({1899, 12, 30, minuteOfDay / 60, minuteOfDay % 60}));
}

int ClampToInt(int64_t value) {
  if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

}  // namespace

TimeLeft ComputeTimeLeft(const UserValues& values, double now) {
  TimeLeft result;
  const int weekday = WeekdayIndex(now);
  const DateTimeParts parts = DecodeDateTime(now);
  const int nowMinute = parts.hour * 60 + parts.minute;
  const int minutesToMidnight = kMinutesPerDay - nowMinute;
  const StringList filters = DayFiltersOf(values);
  const std::string& todayFilter = filters[weekday];

  const bool restrictedNow = WalkDayFilter(todayFilter, FilterTimeText(now)).restricted;
  const CountingDay counting = CountingDayOf(values, now);
  if (const std::optional<int32_t> allowance = AllowanceOn(values, counting.date))
    result.allowanceLeft = ClampToInt(static_cast<int64_t>(*allowance) - counting.minutes);
  const bool overAllowance = result.allowanceLeft && *result.allowanceLeft < 0;

  // The filter's times are compared as texts, so odd filters (descending times, hours without a
  // leading zero) restrict exactly where the service's walk says: every later minute is tried.
  for (int minute = nowMinute + 1; !restrictedNow && minute < kMinutesPerDay; ++minute) {
    std::string text = MinuteText(minute);
    if (WalkDayFilter(todayFilter, text).restricted) {
      result.minutesToRestriction = minute - nowMinute;
      result.restrictionStart = std::move(text);
      break;
    }
  }
  // A period that starts with tomorrow's first minute follows on from today without a break.
  if (!restrictedNow && !result.minutesToRestriction) {
    std::string midnight = MinuteText(0);
    if (WalkDayFilter(filters[(weekday + 1) % kDaysInWeek], midnight).restricted) {
      result.minutesToRestriction = minutesToMidnight;
      result.restrictionStart = std::move(midnight);
    }
  }

  if (restrictedNow || overAllowance) {
    result.heldBackNow = true;
    result.minutesLeft = 0;
    result.reason = restrictedNow ? HoldReason::kRestrictedPeriod : HoldReason::kAllowance;
    return result;
  }
  // An allowance that lasts past midnight never runs out: the new day's count starts afresh.
  if (result.allowanceLeft && *result.allowanceLeft < minutesToMidnight) {
    result.minutesLeft = result.allowanceLeft;
    result.reason = HoldReason::kAllowance;
  }
  if (result.minutesToRestriction && (!result.minutesLeft || *result.minutesToRestriction <= *result.minutesLeft)) {
    result.minutesLeft = result.minutesToRestriction;
    result.reason = HoldReason::kRestrictedPeriod;
  }
  return result;
}
