#include "base/date_time.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

constexpr int64_t kMillisecondsPerDay = 86'400'000;
// Days from 1970-01-01 to the date-time epoch 1899-12-30.
constexpr int64_t kEpochOffsetDays = -25'569;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = FloorDiv(y, 400);
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = FloorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

int64_t DayNumber(double dateTime) {
  return FloorDiv(std::llround(dateTime * static_cast<double>(kMillisecondsPerDay)), kMillisecondsPerDay);
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && day >= 1 && day <= DaysInMonth(year, month);
}

bool IsValidTime(int hour, int minute, int second, int millisecond) {
  return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
         millisecond >= 0 && millisecond < 1000;
}

double EncodeDateTime(const DateTimeParts& p) {
  const int64_t days = DaysFromCivil(p.year, p.month, p.day) - kEpochOffsetDays;
  const int64_t ms = ((static_cast<int64_t>(p.hour) * 60 + p.minute) * 60 + p.second) * 1000 + p.millisecond;
  return static_cast<double>(days) + static_cast<double>(ms) / static_cast<double>(kMillisecondsPerDay);
}

int64_t UnixSeconds(double dateTime) {
  const int64_t ms = std::llround((dateTime + static_cast<double>(kEpochOffsetDays)) * static_cast<double>(kMillisecondsPerDay));
  return FloorDiv(ms, 1000);
}

DateTimeParts DecodeDateTime(double dateTime) {
  const int64_t total = std::llround(dateTime * static_cast<double>(kMillisecondsPerDay));
  const int64_t days = FloorDiv(total, kMillisecondsPerDay);
  int64_t ms = total - days * kMillisecondsPerDay;
  DateTimeParts p;
  CivilFromDays(days + kEpochOffsetDays, p.year, p.month, p.day);
  p.millisecond = static_cast<int>(ms % 1000);
  ms /= 1000;
  p.second = static_cast<int>(ms % 60);
  ms /= 60;
  p.minute = static_cast<int>(ms % 60);
  p.hour = static_cast<int>(ms / 60);
  return p;
}

int DayOfWeek(double dateTime) {
  // Day 0, 1899-12-30, was a Saturday (7).
  const int64_t shifted = DayNumber(dateTime) + 6;
  return static_cast<int>(shifted - FloorDiv(shifted, 7) * 7) + 1;
}

int WeekdayIndex(double dateTime) {
  const int index = DayOfWeek(dateTime) - 2;
  return index == -1 ? 6 : index;
}

std::string FormatStoredDate(double dateTime) {
  const DateTimeParts p = DecodeDateTime(dateTime);
  char text[32];
  std::snprintf(text, sizeof text, "%02d.%02d.%04d", p.day, p.month, p.year);
  return text;
}

std::optional<double> ParseStoredDate(std::string_view text) {
  if (text.size() != 10 || text[2] != '.' || text[5] != '.') return std::nullopt;
  int fields[3] = {0, 0, 0};  // day, month, year
  const size_t starts[3] = {0, 3, 6}, lengths[3] = {2, 2, 4};
  for (int f = 0; f < 3; ++f)
    for (size_t i = starts[f]; i < starts[f] + lengths[f]; ++i) {
      if (text[i] < '0' || text[i] > '9') return std::nullopt;
      fields[f] = fields[f] * 10 + (text[i] - '0');
    }
  if (!IsValidDate(fields[2], fields[1], fields[0])) return std::nullopt;
  return EncodeDateTime({fields[2], fields[1], fields[0], 0, 0, 0, 0});
}

std::string FormatTimeOfDay(double dateTime, std::string_view timeSeparator) {
  const DateTimeParts p = DecodeDateTime(dateTime);
  char hour[8], minute[8];
  std::snprintf(hour, sizeof hour, "%02d", p.hour);
  std::snprintf(minute, sizeof minute, "%02d", p.minute);
  return std::string(hour) + std::string(timeSeparator) + minute;
}

std::string FormatLogTimestamp(double dateTime, std::string_view timeSeparator) {
  const DateTimeParts p = DecodeDateTime(dateTime);
  char date[32], hour[8], minute[8], second[8];
  std::snprintf(date, sizeof date, "%02d.%02d.%04d ", p.day, p.month, p.year);
  std::snprintf(hour, sizeof hour, "%02d", p.hour);
  std::snprintf(minute, sizeof minute, "%02d", p.minute);
  std::snprintf(second, sizeof second, "%02d", p.second);
  const std::string sep(timeSeparator);
  return date + std::string(hour) + sep + minute + sep + second;
}
