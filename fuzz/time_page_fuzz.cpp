// The time page, the whole input as the page's body: the scan of its date and time text, the UTC
// date it yields on local dates on both sides of New Year, and that date in local time at the
// offsets a time zone gives.

#include <cmath>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "timesync/time_page.h"
#include "timesync/time_sync.h"
#include "timesync/zone_time.h"

namespace {

// As the service fills its MonthNames.
const StringList kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
// The scanner's cap on a number.
constexpr int kNumberCap = 1'000'000;

bool IsSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == '.' || c == ',' ||
         c == ':';
}

bool SameText(const PageTimeText& a, const PageTimeText& b) {
  return a.monthName == b.monthName && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
         a.second == b.second;
}

void CheckScan(std::string_view page, const PageTimeText& values) {
  Require(!values.monthName.empty(), "the month name is not empty");
  for (const char c : values.monthName) Require(!IsSeparator(c), "the month name holds no separator", page);
  for (const int value : {values.day, values.hour, values.minute, values.second})
    Require(std::abs(value) <= kNumberCap, "a scanned number stays within the cap", page);

  // The values written back into a page in the server's form are scanned as themselves.
  const std::string written = "<PRE>\n<BR>" + values.monthName + ". " + std::to_string(values.day) + ", " +
                              std::to_string(values.hour) + ":" + std::to_string(values.minute) + ":" +
                              std::to_string(values.second) + " UTC";
  if (written.size() > kTimePageReadSize) return;
  const std::optional<PageTimeText> again = ScanTimePage(written);
  Require(again && SameText(*again, values), "the scanned values written in the server's form scan the same", page);
}

// The year the page's date belongs to: the local one, moved across New Year.
int ExpectedYear(int month, const DateTimeParts& localNow) {
  if (month == 12 && localNow.month == 1) return localNow.year - 1;
  if (month == 1 && localNow.month == 12) return localNow.year + 1;
  return localNow.year;
}

void CheckLocalTime(const DateTimeParts& utc) {
  for (const int64_t offset : {-1441, -840, -570, -1, 0, 1, 330, 765, 840, 1439, 1440}) {
    const std::optional<DateTimeParts> local = UtcToLocal(utc, offset);
    Require(local.has_value(), "a date near today has a local time at every zone offset");
    Require(IsValidDate(local->year, local->month, local->day) &&
                IsValidTime(local->hour, local->minute, local->second, local->millisecond),
            "the local time is a valid date and time");
    const double shift = (EncodeDateTime(*local) - EncodeDateTime(utc)) * 24 * 60;
    Require(std::fabs(shift - static_cast<double>(offset)) < 1e-3, "the local time lies the offset after UTC");
    Require(local->second == utc.second, "the seconds are kept");
    const SystemTimeRecord record = ToSystemTimeRecord(*local);
    Require(record.dayOfWeek >= 0 && record.dayOfWeek <= 6 && record.day == local->day &&
                record.minute == local->minute,
            "the clock record holds the local time");
  }
  // An offset that leaves the calendar gives nothing, and nothing breaks.
  UtcToLocal(utc, int64_t{1} << 40);
  UtcToLocal(utc, -(int64_t{1} << 40));
}

void CheckUtcTime(std::string_view page, const PageTimeText& values) {
  const int month = MonthNumber(values.monthName, kMonthNames);
  for (const DateTimeParts& localNow :
       {DateTimeParts{2026, 12, 31, 23, 0, 0, 0}, DateTimeParts{2027, 1, 1, 0, 30, 0, 0},
        DateTimeParts{2028, 2, 29, 12, 0, 0, 0}}) {
    const std::optional<DateTimeParts> utc = PageUtcTime(values, kMonthNames, localNow);
    const int year = ExpectedYear(month, localNow);
    const bool valid = month != 0 && IsValidDate(year, month, values.day) &&
                       IsValidTime(values.hour, values.minute, values.second);
    Require(utc.has_value() == valid, "a UTC date is given exactly for a known month and a real date and time", page);
    if (!utc) continue;
    Require(utc->year == year && utc->month == month && utc->day == values.day && utc->hour == values.hour &&
                utc->minute == values.minute && utc->second == values.second && utc->millisecond == 0,
            "the UTC date holds the page's values in the year next to the local date", page);
    CheckLocalTime(*utc);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view page = InputText(data, size);
  const std::optional<PageTimeText> values = ScanTimePage(page);
  const std::optional<PageTimeText> firstRead = ScanTimePage(page.substr(0, std::min(size, kTimePageReadSize)));
  Require(values.has_value() == firstRead.has_value() && (!values || SameText(*values, *firstRead)),
          "bytes past the first read change nothing");
  if (values) {
    CheckScan(page, *values);
    CheckUtcTime(page, *values);
  }

  // The whole response: the page's date, else the Date header's, always a valid one.
  TimePageResponse response;
  response.body = std::string(page);
  response.dateHeader = "Tue, 08 Dec 2026 17:18:19 GMT";
  if (const std::optional<DateTimeParts> utc = ResponseUtcTime(response, kMonthNames, {2026, 12, 8, 18, 0, 0, 0}))
    Require(IsValidDate(utc->year, utc->month, utc->day) && IsValidTime(utc->hour, utc->minute, utc->second),
            "a response's UTC time is a valid date and time", page);
  else
    Require(values.has_value(), "a body without a page falls back to the Date header", page);
  return 0;
}
