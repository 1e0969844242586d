#pragma once

#include <windows.h>

#include "base/date_time.h"

// The calendar fields of a date-time as the Windows time calls take them (the weekday, which they
// ignore, left 0), and back.
inline SYSTEMTIME ToSystemTime(const DateTimeParts& parts) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(parts.year);
  time.wMonth = static_cast<WORD>(parts.month);
  time.wDay = static_cast<WORD>(parts.day);
  time.wHour = static_cast<WORD>(parts.hour);
  time.wMinute = static_cast<WORD>(parts.minute);
  time.wSecond = static_cast<WORD>(parts.second);
  time.wMilliseconds = static_cast<WORD>(parts.millisecond);
  return time;
}

inline DateTimeParts FromSystemTime(const SYSTEMTIME& time) {
  return DateTimeParts{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds};
}
