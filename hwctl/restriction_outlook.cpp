#include "hwctl/restriction_outlook.h"

#include <vector>

#include "configuration/validation.h"
#include "engine/day_filter.h"
#include "base/date_time.h"

namespace {

// "HH:mm" of the minute of the day, as the service renders the current time.
std::string MinuteText(int minute) { return FilterTimeText(static_cast<double>(minute) / kMinutesPerDay); }

}  // namespace

RestrictionOutlook OutlookOf(const std::array<std::string, kDaysInWeek>& filters, double now) {
  std::vector<std::string> texts;
  texts.reserve(kMinutesPerDay);
  for (int minute = 0; minute < kMinutesPerDay; ++minute) texts.push_back(MinuteText(minute));
  const int today = WeekdayIndex(now);
  const DateTimeParts parts = DecodeDateTime(now);
  const int nowMinute = parts.hour * 60 + parts.minute;
  const auto restricted = [&](int daysAhead, int minute) {
    return WalkDayFilter(filters[(today + daysAhead) % kDaysInWeek], texts[minute]).restricted;
  };

  RestrictionOutlook outlook;
  outlook.restrictedNow = restricted(0, nowMinute);
  bool previous = outlook.restrictedNow;
  for (int step = 1; step <= kDaysInWeek * kMinutesPerDay; ++step) {
    const WeekMoment moment{(nowMinute + step) / kMinutesPerDay, (nowMinute + step) % kMinutesPerDay};
    const bool current = restricted(moment.daysAhead, moment.minute);
    if (outlook.restrictedNow && !outlook.freeAt && !current) outlook.freeAt = moment;
    if (current && !previous && !outlook.nextStart) outlook.nextStart = moment;
    previous = current;
    if (outlook.nextStart && (outlook.freeAt || !outlook.restrictedNow)) break;
  }
  return outlook;
}

std::string FormatMoment(const WeekMoment& moment, int todayIndex) {
  if (moment.daysAhead == 1 && moment.minute == 0) return kMidnightEnd;
  const std::string time = MinuteText(moment.minute);
  if (moment.daysAhead == 0) return time;
  return ShortWeekdayName((todayIndex + moment.daysAhead) % kDaysInWeek) + " " + time;
}
