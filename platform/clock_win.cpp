#include "platform/clock_win.h"

#include <windows.h>

#include <ctime>

#include "base/date_time.h"
#include "platform/system_time_win.h"

namespace {

double DateTimeOf(const SYSTEMTIME& st) { return EncodeDateTime(FromSystemTime(st)); }

}  // namespace

double WindowsClock::Now() const {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return DateTimeOf(st);
}

int32_t WindowsClock::CalendarSeconds() const { return static_cast<int32_t>(std::time(nullptr)); }

double WindowsClock::UtcNow() const {
  FILETIME file;
  GetSystemTimeAsFileTime(&file);
  SYSTEMTIME st;
  // A FILETIME from the system clock always converts.
  FileTimeToSystemTime(&file, &st);
  return DateTimeOf(st);
}

uint64_t WindowsClock::TickMilliseconds() const { return GetTickCount64(); }
