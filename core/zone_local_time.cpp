#include "core/zone_local_time.h"

#include <cmath>
#include <optional>

namespace {

constexpr double kMinutesPerDay = 24 * 60;

std::optional<double> ZoneLocalTime(const TimeZones* zones, const std::string& zoneKey, double utc) {
  if (zoneKey.empty() || zones == nullptr) return std::nullopt;
  const CallResult<DateTimeParts> converted = zones->LocalTime(zoneKey, DecodeDateTime(utc));
  if (!converted) return std::nullopt;
  return EncodeDateTime(converted.Value());
}

}  // namespace

double LocalTimeIn(const Clock& clock, const TimeZones* zones, const std::string& zoneKey, double utc) {
  if (const std::optional<double> local = ZoneLocalTime(zones, zoneKey, utc)) return *local;
  // The system zone's offset now, in whole minutes (the two readings lie a moment apart).
  const double offsetMinutes = std::round((clock.Now() - clock.UtcNow()) * kMinutesPerDay);
  return utc + offsetMinutes / kMinutesPerDay;
}

double LocalNowIn(const Clock& clock, const TimeZones* zones, const std::string& zoneKey) {
  if (const std::optional<double> local = ZoneLocalTime(zones, zoneKey, clock.UtcNow())) return *local;
  return clock.Now();
}
