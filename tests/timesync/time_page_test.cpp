#include <gtest/gtest.h>

#include <string>

#include "timesync/http_date.h"
#include "timesync/time_page.h"

namespace {

const StringList kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The page as the time server writes it: the date starts five characters after the marker.
std::string Page(const std::string& dateText) {
  return "<HTML><BODY><PRE>\n<BR>" + dateText + "UTC\tUniversal Time\n</PRE></BODY></HTML>";
}

struct ScanCase {
  const char* name;
  std::string page;
  bool usable;
  PageTimeText values;
};

TEST(ScanTimePageTest, FindsTheFiveValuesBetweenMarkerAndZone) {
  const std::string padding(1100, 'x');
  const ScanCase cases[] = {
      {"empty", "", false, {}},
      {"no marker", "<HTML><pre>\n<BR>Dec. 08, 03:34:30 UTC</pre>", false, {}},
      {"no zone", "<PRE>\n<BR>Dec. 08, 03:34:30 GMT", false, {}},
      {"zone before the marker", "UTC time<PRE>\n<BR>Dec. 08, 03:34:30 UTC", false, {}},
      {"zone inside the five characters after the marker", "<PRE>\nUTC Dec. 08, 03:34:30 UTC", false, {}},
      {"zone right at the start", "<PRE>\n<BR>UTC Dec. 08, 03:34:30", false, {}},
      {"four values", Page("Dec. 08, 03:34 "), false, {}},
      {"a letter for the day", Page("Dec. x8, 03:34:30 "), false, {}},
      {"zone past the first read", "<PRE>\n<BR>Dec. 08, 03:34:30 " + padding + "UTC", false, {}},
      {"zone that just fits the first read",
       "<PRE>\n<BR>Dec. 08, 03:34:30 " + std::string(1024 - 31, 'x') + "UTC", true, {"Dec", 8, 3, 34, 30}},
      {"the server's form", Page("Dec. 08, 03:34:30 "), true, {"Dec", 8, 3, 34, 30}},
      {"only blanks between values", Page("  jan 1 0 0 0   "), true, {"jan", 1, 0, 0, 0}},
      {"tabs and line ends are blanks too", Page("Feb.\t29,\r\n23:59:59"), true, {"Feb", 29, 23, 59, 59}},
      {"a long month token is kept whole", Page("September 08, 03:34:30 "), true, {"September", 8, 3, 34, 30}},
      {"signed numbers", Page("Dec -1 +3 34 30 "), true, {"Dec", -1, 3, 34, 30}},
      {"text after the second is ignored", Page("Dec. 08, 03:34:30pm "), true, {"Dec", 8, 3, 34, 30}},
      {"only the first zone label counts", Page("Dec. 08, 03:34:30 ") + "UTC 1 2 3", true, {"Dec", 8, 3, 34, 30}},
  };
  for (const ScanCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto scanned = ScanTimePage(c.page);
    ASSERT_EQ(scanned.has_value(), c.usable);
    if (!scanned) continue;
    EXPECT_EQ(scanned->monthName, c.values.monthName);
    EXPECT_EQ(scanned->day, c.values.day);
    EXPECT_EQ(scanned->hour, c.values.hour);
    EXPECT_EQ(scanned->minute, c.values.minute);
    EXPECT_EQ(scanned->second, c.values.second);
  }
}

TEST(MonthNumberTest, LooksUpWithoutRegardToCase) {
  EXPECT_EQ(MonthNumber("September", kMonths), 0);  // nine letters: no month name
  EXPECT_EQ(MonthNumber("Decembe", kMonths), 0);
  EXPECT_EQ(MonthNumber("", kMonths), 0);
  EXPECT_EQ(MonthNumber("Jan", kMonths), 1);
  EXPECT_EQ(MonthNumber("dec", kMonths), 12);
  EXPECT_EQ(MonthNumber("DEC", kMonths), 12);
  EXPECT_EQ(MonthNumber("Dec", StringList{}), 0);  // the list emptied at system shutdown
}

struct PageTimeCase {
  const char* name;
  PageTimeText text;
  DateTimeParts localNow;
  bool valid;
  DateTimeParts utc;
};

TEST(PageUtcTimeTest, ValidatesAndTakesTheYearFromTheLocalDate) {
  const DateTimeParts dec2026{2026, 12, 8, 4, 0, 0, 0};
  const PageTimeCase cases[] = {
      {"nine-letter month", {"September", 8, 3, 34, 30}, dec2026, false, {}},
      {"unknown month", {"Foo", 8, 3, 34, 30}, dec2026, false, {}},
      {"29 February in a common year", {"Feb", 29, 3, 0, 0}, {2026, 3, 1, 4, 0, 0, 0}, false, {}},
      {"31 April", {"Apr", 31, 3, 0, 0}, dec2026, false, {}},
      {"day 0", {"Dec", 0, 3, 0, 0}, dec2026, false, {}},
      {"hour 24", {"Dec", 8, 24, 0, 0}, dec2026, false, {}},
      {"minute 60", {"Dec", 8, 3, 60, 0}, dec2026, false, {}},
      {"second 60", {"Dec", 8, 3, 0, 60}, dec2026, false, {}},
      {"negative hour", {"Dec", 8, -1, 0, 0}, dec2026, false, {}},
      {"the example", {"Dec", 8, 3, 34, 30}, dec2026, true, {2026, 12, 8, 3, 34, 30, 0}},
      {"lower case", {"dec", 8, 3, 34, 30}, dec2026, true, {2026, 12, 8, 3, 34, 30, 0}},
      {"upper case", {"DEC", 8, 3, 34, 30}, dec2026, true, {2026, 12, 8, 3, 34, 30, 0}},
      {"29 February in a leap year", {"Feb", 29, 23, 0, 0}, {2028, 3, 1, 1, 0, 0, 0}, true, {2028, 2, 29, 23, 0, 0, 0}},
      {"a wrong local year stays", {"Dec", 8, 3, 34, 30}, {2025, 12, 8, 4, 0, 0, 0}, true, {2025, 12, 8, 3, 34, 30, 0}},
      {"UTC still in the old year", {"Dec", 31, 23, 30, 0}, {2027, 1, 1, 0, 30, 0, 0}, true, {2026, 12, 31, 23, 30, 0, 0}},
      {"UTC already in the new year", {"Jan", 1, 2, 0, 0}, {2026, 12, 31, 21, 0, 0, 0}, true, {2027, 1, 1, 2, 0, 0, 0}},
  };
  for (const PageTimeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto utc = PageUtcTime(c.text, kMonths, c.localNow);
    ASSERT_EQ(utc.has_value(), c.valid);
    if (!utc) continue;
    EXPECT_EQ(EncodeDateTime(*utc), EncodeDateTime(c.utc));
  }
}

TEST(ParseHttpDateTest, AcceptsOnlyTheFixedForm) {
  const char* malformed[] = {
      "",
      "Tue, 08 Dec 2026 17:18:19",          // no zone
      "Tue, 08 Dec 2026 17:18:19 UTC",      // another zone name
      "Tue, 8 Dec 2026 17:18:19 GMT",       // one-digit day
      "Tuesday, 08-Dec-26 17:18:19 GMT",    // the obsolete RFC 850 form
      "Tue Dec  8 17:18:19 2026",           // the obsolete asctime form
      "Tue, 08 dec 2026 17:18:19 GMT",      // the names are case-sensitive
      "Tux, 08 Dec 2026 17:18:19 GMT",
      "Tue, 08 Dex 2026 17:18:19 GMT",
      "Tue, 08 Dec 20x6 17:18:19 GMT",
      "Tue; 08 Dec 2026 17:18:19 GMT",
      "Tue, 08 Dec 2026 17-18-19 GMT",
      "Sat, 29 Feb 2026 17:18:19 GMT",      // no such day
      "Tue, 08 Dec 2026 24:00:00 GMT",
      "Tue, 08 Dec 2026 17:60:19 GMT",
      "Tue, 08 Dec 2026 17:18:19 GMT junk",
  };
  for (const char* header : malformed) EXPECT_FALSE(ParseHttpDate(header).has_value()) << header;

  const auto date = ParseHttpDate("Tue, 08 Dec 2026 17:18:19 GMT");
  ASSERT_TRUE(date.has_value());
  EXPECT_EQ(EncodeDateTime(*date), EncodeDateTime({2026, 12, 8, 17, 18, 19, 0}));
  const auto padded = ParseHttpDate(" Tue, 29 Feb 2028 00:00:00 GMT\t");
  ASSERT_TRUE(padded.has_value());
  EXPECT_EQ(EncodeDateTime(*padded), EncodeDateTime({2028, 2, 29, 0, 0, 0, 0}));
}

}  // namespace
