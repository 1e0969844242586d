#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/date_time.h"
#include "base/string_list.h"

// The time page. Its date and time are the text from 10 characters after the first character of
// its first "<PRE>" up to its first "UTC", for example "Dec. 08, 03:34:30 " on a page that reads
// "<PRE>\n<BR>Dec. 08, 03:34:30 UTC". The page carries no year.

// Only the bytes that one read of this size returns are examined.
inline constexpr size_t kTimePageReadSize = 1024;
// Room for a month name on the page; a longer run of letters is no month name.
inline constexpr size_t kMaxMonthNameLength = 7;

// The five values scanned from the page's date and time text.
struct PageTimeText {
  std::string monthName;
  int day = 0, hour = 0, minute = 0, second = 0;
};

// The month name, day, hour, minute and second of the page. Nothing when the page holds no usable
// date: no "<PRE>", no "UTC" at or after the start of the text, or fewer than five values there.
// '.', ',' and ':' separate the values like blanks. Bytes past kTimePageReadSize are ignored.
std::optional<PageTimeText> ScanTimePage(std::string_view page);

// The month number 1 to 12 of a name looked up in the list without regard to letter case; 0 when
// it is not in the list or longer than kMaxMonthNameLength.
int MonthNumber(std::string_view name, const StringList& monthNames);

// The page's UTC date and time. The year is the reference date's, moved by one where the page's
// date lies across New Year from it (31 December on the page on a 1 January, or the other way
// round). Nothing when the month is not in the list or the values are no valid date and time.
std::optional<DateTimeParts> PageUtcTime(const PageTimeText& text, const StringList& monthNames,
                                         const DateTimeParts& reference);
