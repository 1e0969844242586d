#pragma once

#include <cctype>
#include <cmath>
#include <map>
#include <string>

#include "platform/time_zones.h"

// A zone's rules as Windows keeps them for a year: a bias and, for a zone with daylight saving
// time, the two yearly changes, each the n-th weekday of a month at a local time.
struct ZoneChange {
  int month = 0;      // 0: the zone has no daylight saving time
  int dayOfWeek = 0;  // 0 Sunday .. 6 Saturday
  int week = 0;       // 1 to 4, or 5 for the last one of the month
  int hour = 0, minute = 0;
};
struct ZoneRules {
  int bias = 0;            // minutes: UTC = standard time + bias
  int daylightBias = -60;  // added to the bias in daylight saving time
  ZoneChange toDaylight;   // in standard time
  ZoneChange toStandard;   // in daylight saving time
};

// Zones converted by their rules the way SystemTimeToTzSpecificLocalTime does, for the tests of
// the service (the behavioural suite of TimeZones keeps it in step with Windows). It knows Tokyo,
// W. Europe, GMT, Pacific and AUS Eastern Standard Time; the system's zone is set by the test.
class RuleTimeZones : public TimeZones {
 public:
  RuleTimeZones();
  CallResult<DateTimeParts> LocalTime(const std::string& zoneKey, const DateTimeParts& utc) const override;
  std::string SystemZoneKey() const override { return systemZone; }

  std::map<std::string, ZoneRules> zones;
  std::string systemZone = "W. Europe Standard Time";
};

namespace rule_time_zones_detail {

inline bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// The local date-time at which the change happens in the year.
inline double ChangeIn(int year, const ZoneChange& change) {
  const double first = EncodeDateTime({year, change.month, 1, 0, 0, 0, 0});
  const int firstDayOfWeek = DayOfWeek(first) - 1;  // 0 Sunday
  int day = 1 + (change.dayOfWeek - firstDayOfWeek + 7) % 7 + (change.week - 1) * 7;
  while (day > DaysInMonth(year, change.month)) day -= 7;
  return EncodeDateTime({year, change.month, day, change.hour, change.minute, 0, 0});
}

}  // namespace rule_time_zones_detail

inline RuleTimeZones::RuleTimeZones() {
  zones["Tokyo Standard Time"] = ZoneRules{-540, -60, {}, {}};
  zones["W. Europe Standard Time"] = ZoneRules{-60, -60, {3, 0, 5, 2, 0}, {10, 0, 5, 3, 0}};
  zones["GMT Standard Time"] = ZoneRules{0, -60, {3, 0, 5, 1, 0}, {10, 0, 5, 2, 0}};
  zones["Pacific Standard Time"] = ZoneRules{480, -60, {3, 0, 2, 2, 0}, {11, 0, 1, 2, 0}};
  zones["AUS Eastern Standard Time"] = ZoneRules{-600, -60, {10, 0, 1, 2, 0}, {4, 0, 1, 3, 0}};
}

inline CallResult<DateTimeParts> RuleTimeZones::LocalTime(const std::string& zoneKey, const DateTimeParts& utc) const {
  using namespace rule_time_zones_detail;
  const ZoneRules* rules = nullptr;
  for (const auto& [name, zone] : zones)
    if (SameName(name, zoneKey)) rules = &zone;
  if (rules == nullptr)
    return CallFailure{"GetTimeZoneInformationForYear failed with error 2: The system cannot find the file specified.", 2};
  // In whole milliseconds, so a change falls exactly on its minute.
  const auto ms = [](double dateTime) { return std::llround(dateTime * 86'400'000.0); };
  const long long standard = ms(EncodeDateTime(utc)) - rules->bias * 60'000LL;
  long long local = standard;
  if (rules->toDaylight.month != 0) {
    const long long daylightTime = standard - rules->daylightBias * 60'000LL;
    // Daylight time begins at the change in standard time and ends at the change in daylight time.
    const bool afterStart = standard >= ms(ChangeIn(utc.year, rules->toDaylight));
    const bool beforeEnd = daylightTime < ms(ChangeIn(utc.year, rules->toStandard));
    if (rules->toDaylight.month < rules->toStandard.month ? afterStart && beforeEnd : afterStart || beforeEnd)
      local = daylightTime;
  }
  return DecodeDateTime(static_cast<double>(local) / 86'400'000.0);
}
