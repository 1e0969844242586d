#include "platform/regional_format_win.h"

#include <windows.h>

#include <iterator>

#include "platform/system_time_win.h"
#include "platform/wide_text_win.h"

// The locale's formats in UTF-16: a month name, a day-period designator or a separator may lie
// outside the ANSI code page (Chinese, Japanese, Greek, ...).

std::string WindowsRegionalFormat::ShortDate(const DateTimeParts& parts) const {
  const SYSTEMTIME st = ToSystemTime(parts);
  wchar_t text[128];
  // A null picture with DATE_SHORTDATE formats with the locale's own short date picture.
  if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, text, std::size(text)) == 0) return {};
  return Utf8FromWide(text);
}

std::string WindowsRegionalFormat::LongTime(const DateTimeParts& parts) const {
  const SYSTEMTIME st = ToSystemTime(parts);
  wchar_t text[128];
  // Flags 0 and a null picture give the locale's long time format.
  if (GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, text, std::size(text)) == 0) return {};
  return Utf8FromWide(text);
}

std::string WindowsRegionalFormat::TimeSeparator() const {
  wchar_t text[8];
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, text, std::size(text)) == 0) return ":";
  return Utf8FromWide(text);
}
