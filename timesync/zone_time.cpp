#include "timesync/zone_time.h"

namespace {

constexpr int64_t kMinutesPerDay = 24 * 60;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

std::optional<int64_t> ZoneOffsetMinutes(const TimeZoneReading& reading) {
  const int64_t bias = reading.bias;
  switch (reading.period) {
    case TimeZoneReading::Period::Standard:
      return -(bias + reading.standardBias);
    case TimeZoneReading::Period::Daylight:
      return -(bias + reading.daylightBias);
    case TimeZoneReading::Period::Unknown:
      return -bias;
    case TimeZoneReading::Period::Failed:
      break;
  }
  return std::nullopt;
}

std::optional<DateTimeParts> UtcToLocal(const DateTimeParts& utc, int64_t offsetMinutes) {
  // Whole days as an integer count, so the carry is exact.
  const double utcDate = EncodeDateTime({utc.year, utc.month, utc.day, 0, 0, 0, 0});
  const int64_t minuteOfDay = int64_t{utc.hour} * 60 + utc.minute + offsetMinutes;
  const int64_t dayShift = FloorDiv(minuteOfDay, kMinutesPerDay);
  const int64_t localMinute = minuteOfDay - dayShift * kMinutesPerDay;

  DateTimeParts local = DecodeDateTime(utcDate + static_cast<double>(dayShift));
  if (!IsValidDate(local.year, local.month, local.day)) return std::nullopt;
  local.hour = static_cast<int>(localMinute / 60);
  local.minute = static_cast<int>(localMinute % 60);
  local.second = utc.second;
  local.millisecond = utc.millisecond;
  return local;
}

SystemTimeRecord ToSystemTimeRecord(const DateTimeParts& local) {
  SystemTimeRecord record;
  record.year = local.year;
  record.month = local.month;
  record.dayOfWeek = DayOfWeek(EncodeDateTime(local)) - 1;  // DayOfWeek counts Sunday as 1
  record.day = local.day;
  record.hour = local.hour;
  record.minute = local.minute;
  record.second = local.second;
  record.milliseconds = 0;
  return record;
}
