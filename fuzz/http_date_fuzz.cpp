// The HTTP Date header: what it accepts is a real date and time written exactly in the fixed form,
// and every real date and time written in that form is accepted as itself.

#include <cstdio>
#include <string>

#include "fuzz_support.h"
#include "timesync/http_date.h"

namespace {

constexpr const char* kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// "Www, DD Mmm YYYY HH:MM:SS GMT" with the weekday name given.
std::string Header(std::string_view dayName, const DateTimeParts& parts) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3s, %02d %s %04d %02d:%02d:%02d GMT", std::string(dayName).c_str(), parts.day,
                kMonths[parts.month - 1], parts.year, parts.hour, parts.minute, parts.second);
  return text;
}

bool Same(const DateTimeParts& a, const DateTimeParts& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
         a.second == b.second && a.millisecond == b.millisecond;
}

// A real date and time from the first eight bytes, written in the fixed form with blanks from the
// next bytes around it, must read back as itself.
void CheckWellFormed(const uint8_t* data, size_t size) {
  if (size < 8) return;
  DateTimeParts parts;
  parts.year = 1 + (data[0] | data[1] << 8) % 9999;
  parts.month = 1 + data[2] % 12;
  parts.day = 1 + data[3] % DaysInMonth(parts.year, parts.month);
  parts.hour = data[4] % 24;
  parts.minute = data[5] % 60;
  parts.second = data[6] % 60;
  parts.millisecond = 0;
  std::string header = Header(kDays[data[7] % 7], parts);
  for (size_t i = 8; i < size && i < 12; ++i) {
    const char blank = data[i] & 1 ? '\t' : ' ';
    header = data[i] & 2 ? header + blank : blank + header;
  }
  const std::optional<DateTimeParts> parsed = ParseHttpDate(header);
  Require(parsed && Same(*parsed, parts), "a real date in the fixed form is read as itself", header);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view header = InputText(data, size);
  if (const std::optional<DateTimeParts> parts = ParseHttpDate(header)) {
    Require(IsValidDate(parts->year, parts->month, parts->day), "an accepted header holds a real date", header);
    Require(IsValidTime(parts->hour, parts->minute, parts->second, parts->millisecond),
            "an accepted header holds a real time of day", header);
    const std::string_view text = TrimBlanks(header);
    bool knownDay = false;
    for (const char* day : kDays) knownDay = knownDay || text.substr(0, 3) == day;
    Require(knownDay, "an accepted header starts with a weekday name", header);
    Require(text == Header(text.substr(0, 3), *parts), "an accepted header is its date written in the fixed form",
            header);
  }
  CheckWellFormed(data, size);
  return 0;
}
