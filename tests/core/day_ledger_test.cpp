#include "core/day_ledger.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

int32_t Date(const char* text) { return *LedgerDate(text); }

DayLedger LedgerOf(const Lines& lines) {
  const LedgerReading reading = ParseLedger(lines);
  EXPECT_TRUE(reading.badLines.empty());
  return reading.ledger;
}

TEST(DayLedgerTest, LinesThatAreNoDateAndCountAreTakenAsAbsent) {
  const Lines bad = {"",
                     "07.12.2026",
                     "07.12.2026=",
                     "=5",
                     "7.12.2026=5",
                     "31.02.2027=5",
                     "2026-12-07=5",
                     "07.12.2026=-1",
                     "07.12.2026=+1",
                     "07.12.2026=1.5",
                     "07.12.2026= 5",
                     "07.12.2026=5 ",
                     "07.12.2026=5=6",
                     "07.12.2026=2147483648"};
  for (const std::string& line : bad) {
    const LedgerReading reading = ParseLedger({line, "08.12.2026=3"});
    EXPECT_EQ(reading.badLines, Lines{line});
    EXPECT_EQ(LedgerLines(reading.ledger), Lines{"08.12.2026=3"}) << line;
  }
  // Two lines of one date: the larger count stays, and the second line is named.
  const LedgerReading twice = ParseLedger({"07.12.2026=61", "29.02.2028=0", "07.12.2026=5", "06.12.2026=2147483647"});
  EXPECT_EQ(twice.badLines, Lines{"07.12.2026=5"});
  EXPECT_EQ(LedgerLines(twice.ledger), (Lines{"06.12.2026=2147483647", "07.12.2026=61", "29.02.2028=0"}));
}

TEST(DayLedgerTest, PruningKeepsTheSixtyTwoDaysUpToTheLatestDate) {
  const struct {
    const char* what;
    Lines before;
    Lines after;
  } cases[] = {
      {"62 days kept, the 63rd dropped", {"06.10.2026=1", "07.10.2026=2", "07.12.2026=3"}, {"07.10.2026=2", "07.12.2026=3"}},
      {"across a year", {"31.10.2026=1", "01.11.2026=2", "31.12.2026=3", "01.01.2027=4"},
       {"01.11.2026=2", "31.12.2026=3", "01.01.2027=4"}},
      // Without its latest date the ledger keeps what the old latest date would have dropped.
      {"the latest date lost", {"01.10.2026=1", "30.11.2026=2"}, {"01.10.2026=1", "30.11.2026=2"}},
      {"empty", {}, {}},
  };
  for (const auto& c : cases) {
    DayLedger ledger = LedgerOf(c.before);
    PruneLedger(ledger);
    EXPECT_EQ(LedgerLines(ledger), c.after) << c.what;
  }
}

// alice counted 30 minutes on Saturday, 61 on Monday and, with the clock a day ahead, 5 on
// Tuesday; Sunday was not counted.
TEST(DayLedgerTest, EachDateOfTheClockCountsOnTheDateItsRuleGives) {
  const DayLedger ledger = LedgerOf({"05.12.2026=30", "07.12.2026=61", "08.12.2026=5"});
  const struct {
    const char* what;
    DayLedger ledger;
    const char* today;
    const char* date;
    int32_t minutes;
    CountedAs as;
  } cases[] = {
      {"back from tomorrow: today's count", ledger, "07.12.2026", "07.12.2026", 61, CountedAs::kOwnDate},
      {"tomorrow come true: its own count goes on", ledger, "08.12.2026", "08.12.2026", 5, CountedAs::kOwnDate},
      {"an earlier day counted: its own count", ledger, "05.12.2026", "05.12.2026", 30, CountedAs::kOwnDate},
      {"a day not counted, before the latest: on the latest", ledger, "06.12.2026", "08.12.2026", 5,
       CountedAs::kLatestDate},
      {"long before every date: on the latest", ledger, "01.01.2020", "08.12.2026", 5, CountedAs::kLatestDate},
      {"after every date: a new day", ledger, "09.12.2026", "09.12.2026", 0, CountedAs::kNewDay},
      {"nothing counted yet: a new day", DayLedger{}, "07.12.2026", "07.12.2026", 0, CountedAs::kNewDay},
  };
  for (const auto& c : cases) {
    const CountingDay day = DayToCount(c.ledger, Date(c.today));
    EXPECT_EQ(LedgerDateText(day.date), c.date) << c.what;
    EXPECT_EQ(day.minutes, c.minutes) << c.what;
    EXPECT_EQ(day.as, c.as) << c.what;
  }
}

TEST(DayLedgerTest, TheCurrentCountReplacesItsDatesLineAndIsLoweredNeverBelowZero) {
  DayLedger ledger = LedgerOf({"07.12.2026=61", "08.12.2026=5"});
  TakeCount(ledger, "07.12.2026", 31);  // lowered by hwctl grant in SpentTime only
  TakeCount(ledger, "7.12.2026", 99);   // no date: nothing
  TakeCount(ledger, "", 99);
  EXPECT_EQ(LedgerLines(ledger), (Lines{"07.12.2026=31", "08.12.2026=5"}));

  EXPECT_EQ(LowerCount(ledger, Date("07.12.2026"), 20), 20);
  EXPECT_EQ(LowerCount(ledger, Date("07.12.2026"), 20), 11);
  EXPECT_EQ(LowerCount(ledger, Date("07.12.2026"), 20), 0);
  EXPECT_EQ(LowerCount(ledger, Date("08.12.2026"), -3), 0);
  EXPECT_EQ(LowerCount(ledger, Date("09.12.2026"), 5), 0);
  EXPECT_EQ(LedgerLines(ledger), (Lines{"07.12.2026=0", "08.12.2026=5"}));
}

}  // namespace
