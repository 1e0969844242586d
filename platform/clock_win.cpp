#include "platform/clock_win.h"

#include <windows.h>

#include <ctime>

#include "platform/date_time.h"

double WindowsClock::Now() const {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return EncodeDateTime({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds});
}

int32_t WindowsClock::CalendarSeconds() const { return static_cast<int32_t>(std::time(nullptr)); }
