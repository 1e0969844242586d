#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Dates and times as the service holds them: a double counting days since 1899-12-30 in local
// time, the time of day as the fraction.

struct DateTimeParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

bool IsLeapYear(int year);
// Days in the month of the year, 0 for a month outside 1..12.
int DaysInMonth(int year, int month);
// True when the year, month and day name a real calendar day.
bool IsValidDate(int year, int month, int day);
// True when the time of day lies within 00:00:00.000 and 23:59:59.999.
bool IsValidTime(int hour, int minute, int second, int millisecond = 0);

// The date-time of the calendar fields; the fields must be valid.
double EncodeDateTime(const DateTimeParts& parts);
// The calendar fields of a date-time, rounded to the millisecond.
DateTimeParts DecodeDateTime(double dateTime);
// The whole seconds from 1970-01-01 00:00 to the date-time (rounded to the millisecond first), as
// the one-time codes count UTC.
int64_t UnixSeconds(double dateTime);

// Day of the week numbered 1 = Sunday, 2 = Monday, ... 7 = Saturday.
int DayOfWeek(double dateTime);
// The service's weekday index: Monday 0, Tuesday 1, ... Sunday 6.
int WeekdayIndex(double dateTime);

// "dd.mm.yyyy", whatever the regional settings: the form of dates in stored data.
std::string FormatStoredDate(double dateTime);
// The date (at 00:00) of a text in exactly that form; nothing for any other text or a day that
// does not exist.
std::optional<double> ParseStoredDate(std::string_view text);
// "HH:mm" with the given time separator: the form of times of day in day filters.
std::string FormatTimeOfDay(double dateTime, std::string_view timeSeparator);
// "dd.mm.yyyy hh:nn:ss" with the given time separator: the debug-log timestamp.
std::string FormatLogTimestamp(double dateTime, std::string_view timeSeparator);
