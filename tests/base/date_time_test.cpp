#include "base/date_time.h"

#include <gtest/gtest.h>

#include "base/string_list.h"

namespace {

double At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return EncodeDateTime({y, mo, d, h, mi, s, 0}); }

TEST(DateTimeTest, EncodesDaysSinceTheEpochAndDecodesBack) {
  EXPECT_DOUBLE_EQ(At(1899, 12, 30), 0.0);
  EXPECT_DOUBLE_EQ(At(1900, 1, 1), 2.0);
  EXPECT_DOUBLE_EQ(At(2026, 12, 8, 12), 46364.5);
  for (const DateTimeParts& parts : {DateTimeParts{2026, 12, 8, 3, 34, 30, 0}, DateTimeParts{2024, 2, 29, 23, 59, 59, 999},
                                     DateTimeParts{2000, 1, 1, 0, 0, 0, 0}, DateTimeParts{2099, 12, 31, 12, 0, 1, 500}}) {
    const DateTimeParts back = DecodeDateTime(EncodeDateTime(parts));
    EXPECT_EQ(back.year, parts.year);
    EXPECT_EQ(back.month, parts.month);
    EXPECT_EQ(back.day, parts.day);
    EXPECT_EQ(back.hour, parts.hour);
    EXPECT_EQ(back.minute, parts.minute);
    EXPECT_EQ(back.second, parts.second);
    EXPECT_EQ(back.millisecond, parts.millisecond);
  }
}

TEST(DateTimeTest, UnixSecondsDropTheFractionEvenAtAStepBoundary) {
  const struct {
    DateTimeParts utc;
    int64_t seconds;
  } cases[] = {
      {{1970, 1, 1, 0, 0, 0, 0}, 0},
      {{2026, 12, 7, 20, 5, 0, 0}, 1'796'673'900},  // a 30-second step begins: not a second early
      {{2026, 12, 7, 20, 5, 29, 999}, 1'796'673'929},
      {{1969, 12, 31, 23, 59, 59, 500}, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(UnixSeconds(EncodeDateTime(c.utc)), c.seconds) << c.seconds;
}

TEST(DateTimeTest, WeekdayIndexRunsFromMondayZeroToSundaySix) {
  EXPECT_EQ(DayOfWeek(At(1899, 12, 30)), 7);  // a Saturday
  EXPECT_EQ(DayOfWeek(At(2026, 12, 6)), 1);   // a Sunday
  EXPECT_EQ(WeekdayIndex(At(2026, 12, 7, 0, 0, 1)), 0);  // Monday
  EXPECT_EQ(WeekdayIndex(At(2026, 12, 8, 23, 59, 59)), 1);
  EXPECT_EQ(WeekdayIndex(At(2026, 12, 12)), 5);  // Saturday
  EXPECT_EQ(WeekdayIndex(At(2026, 12, 13, 12)), 6);  // Sunday
}

TEST(DateTimeTest, CalendarRules) {
  EXPECT_TRUE(IsValidDate(2024, 2, 29));
  EXPECT_FALSE(IsValidDate(2026, 2, 29));
  EXPECT_FALSE(IsValidDate(1900, 2, 29));
  EXPECT_TRUE(IsValidDate(2000, 2, 29));
  EXPECT_FALSE(IsValidDate(2026, 13, 1));
  EXPECT_FALSE(IsValidDate(2026, 4, 31));
  EXPECT_FALSE(IsValidTime(24, 0, 0));
  EXPECT_FALSE(IsValidTime(23, 60, 0));
}

TEST(DateTimeTest, FixedFormatsOfStoredDatesFiltersAndTheLog) {
  const double when = At(2026, 3, 8, 3, 4, 5);
  EXPECT_EQ(FormatStoredDate(when), "08.03.2026");
  EXPECT_EQ(FormatTimeOfDay(when, ":"), "03:04");
  EXPECT_EQ(FormatTimeOfDay(when, "."), "03.04");
  EXPECT_EQ(FormatLogTimestamp(when, ":"), "08.03.2026 03:04:05");
  // A time a hair before midnight must not round into a time that does not exist.
  EXPECT_EQ(FormatLogTimestamp(At(2026, 12, 8) - 0.0000001, ":"), "07.12.2026 23:59:59");
}

TEST(DateTimeTest, StoredDatesAreReadOnlyInTheirOwnForm) {
  EXPECT_EQ(ParseStoredDate("08.12.2026"), At(2026, 12, 8));
  EXPECT_EQ(ParseStoredDate("29.02.2024"), At(2024, 2, 29));
  for (const char* text : {"", "8.12.2026", "08.12.26", "08-12-2026", "29.02.2026", "00.01.2026", "08.13.2026",
                           "08.12.2026 ", "0a.12.2026", "08.12.+026"})
    EXPECT_FALSE(ParseStoredDate(text).has_value()) << text;
}

TEST(StringListTest, LookupIgnoresLetterCaseAndFindsTheFirst) {
  StringList list{"alice", "Bob", "ALICE"};
  EXPECT_EQ(list.IndexOf("Alice"), 0);
  EXPECT_EQ(list.IndexOf("bob"), 1);
  EXPECT_EQ(list.IndexOf("carol"), -1);
  list.Delete(0);
  EXPECT_EQ(list.IndexOf("alice"), 1);
}

TEST(StringListTest, TableEntriesPastTheEndOrEmptyAreAbsent) {
  StringListTable table;
  table.push_back(StringList{"a"});
  table.push_back(std::nullopt);
  EXPECT_NE(TableEntry(table, 0), nullptr);
  EXPECT_EQ(TableEntry(table, 1), nullptr);
  EXPECT_EQ(TableEntry(table, 2), nullptr);
  EXPECT_EQ(TableEntry(table, -1), nullptr);
}

}  // namespace
