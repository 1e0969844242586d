// The time page, the whole input as the page's body: the scan of its date and time text, the UTC
// date it yields on reference dates on both sides of New Year, the clock record of that date, and
// the time a whole answer gives at every kind of status.

#include <cmath>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "timesync/time_page.h"
#include "timesync/time_sync.h"

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

// The year the page's date belongs to: the reference's, moved across New Year.
int ExpectedYear(int month, const DateTimeParts& reference) {
  if (month == 12 && reference.month == 1) return reference.year - 1;
  if (month == 1 && reference.month == 12) return reference.year + 1;
  return reference.year;
}

void CheckClockRecord(const DateTimeParts& utc) {
  const SystemTimeRecord record = ToSystemTimeRecord(utc);
  Require(record.dayOfWeek >= 0 && record.dayOfWeek <= 6 && record.year == utc.year && record.month == utc.month &&
              record.day == utc.day && record.hour == utc.hour && record.minute == utc.minute &&
              record.second == utc.second && record.milliseconds == 0,
          "the clock record holds the UTC time");
}

void CheckUtcTime(std::string_view page, const PageTimeText& values) {
  const int month = MonthNumber(values.monthName, kMonthNames);
  for (const DateTimeParts& reference :
       {DateTimeParts{2026, 12, 31, 23, 0, 0, 0}, DateTimeParts{2027, 1, 1, 0, 30, 0, 0},
        DateTimeParts{2028, 2, 29, 12, 0, 0, 0}}) {
    const std::optional<DateTimeParts> utc = PageUtcTime(values, kMonthNames, reference);
    const int year = ExpectedYear(month, reference);
    const bool valid = month != 0 && IsValidDate(year, month, values.day) &&
                       IsValidTime(values.hour, values.minute, values.second);
    Require(utc.has_value() == valid, "a UTC date is given exactly for a known month and a real date and time", page);
    if (!utc) continue;
    Require(utc->year == year && utc->month == month && utc->day == values.day && utc->hour == values.hour &&
                utc->minute == values.minute && utc->second == values.second && utc->millisecond == 0,
            "the UTC date holds the page's values in the year next to the reference date", page);
    CheckClockRecord(*utc);
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

  // The whole response at each kind of status: the page's date only for 200, the Date header's
  // for any 2xx or 3xx, nothing at all for another status; always a valid time when one is given.
  const double reference = EncodeDateTime({2026, 12, 8, 18, 0, 0, 0});
  for (const int status : {200, 204, 302, 404, 500}) {
    TimePage response;
    response.statusCode = status;
    response.body = std::string(page);
    response.dateHeader = "Tue, 08 Dec 2026 17:18:19 GMT";
    const AnswerTime answer = TimeOfAnswer(response, kMonthNames, reference, 0);
    if (status >= 400) {
      Require(!answer.utc && !answer.refusal.empty(), "an answer of another status gives no time and says so", page);
    } else if (answer.utc) {
      const DateTimeParts utc = DecodeDateTime(*answer.utc);
      Require(IsValidDate(utc.year, utc.month, utc.day) && IsValidTime(utc.hour, utc.minute, utc.second),
              "an answer's UTC time is a valid date and time", page);
    } else {
      Require(status == 200 && values.has_value(), "only a page of a 200 answer keeps the Date header from counting",
              page);
    }
  }
  return 0;
}
