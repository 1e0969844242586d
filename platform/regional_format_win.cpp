#include "platform/regional_format_win.h"

#include <windows.h>

#include "platform/system_time_win.h"

std::string WindowsRegionalFormat::ShortDate(const DateTimeParts& parts) const {
  const SYSTEMTIME st = ToSystemTime(parts);
  char text[128];
  // A null picture with DATE_SHORTDATE formats with the locale's own short date picture.
  if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, text, sizeof text) == 0) return {};
  return text;
}

std::string WindowsRegionalFormat::LongTime(const DateTimeParts& parts) const {
  const SYSTEMTIME st = ToSystemTime(parts);
  char text[128];
  // Flags 0 and a null picture give the locale's long time format.
  if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, text, sizeof text) == 0) return {};
  return text;
}

std::string WindowsRegionalFormat::TimeSeparator() const {
  char text[8];
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, text, sizeof text) == 0) return ":";
  return text;
}
