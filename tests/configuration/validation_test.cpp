#include "configuration/validation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/day_filter.h"
#include "base/date_time.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// The rule each problem text must name, one string per expected problem, in order. (The check's
// own test covers the plain cases of each kind.)
TEST(DayFilterProblemsTest, NamesEveryWayTheServiceMisreadsAFilter) {
  const struct {
    const char* filter;
    std::vector<const char*> problems;
  } cases[] = {
      {"08:00 12:0", {"\"12:0\" is not a time"}},
      {"08:60 24:01", {"\"08:60\"", "\"24:01\""}},
      {"08.00 12.00", {"\"08.00\"", "\"12.00\""}},
      {"24:00 24:00", {"24:00 starts a period"}},
      {"21:00 24:00 07:00", {"times not ascending: 07:00 follows 24:00", "the last one, 07:00"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.filter);
    const std::vector<std::string> problems = DayFilterProblems(c.filter);
    ASSERT_EQ(problems.size(), c.problems.size()) << ::testing::PrintToString(problems);
    for (size_t i = 0; i < problems.size(); ++i) EXPECT_THAT(problems[i], HasSubstr(c.problems[i]));
  }
  for (const char* good : {"", "   ", "08:00 12:00", "  08:00   12:00 ", "00:00 07:00 21:00 24:00", "08:00 12:00 12:00 13:00"})
    EXPECT_THAT(DayFilterProblems(good), ElementsAre()) << good;
}

TEST(DayLimitProblemsTest, NamesTheDayOfEachMisreadAllowance) {
  EXPECT_THAT(DayLimitProblems("60\t60"), ElementsAre(HasSubstr("tab"), HasSubstr("\"60\t60\" (Monday)")));
  EXPECT_THAT(DayLimitProblems("1 2 3 4 5 6 7 8"), ElementsAre(HasSubstr("holds 8 numbers")));
  for (const char* good : {"", "60", "60  90 ", "0 0 0 0 0 1440 1440"}) EXPECT_THAT(DayLimitProblems(good), ElementsAre()) << good;
}

TEST(StoredFilterOfPeriodsTest, RefusesWhatCannotBeStoredAsMeant) {
  const struct {
    const char* periods;
    const char* refusal;
  } cases[] = {
      {"8:00-12:00", "\"8:00-12:00\" is not a period HH:mm-HH:mm"},
      {"08:00", "\"08:00\" is not a period"},
      {"08:00-12:00\t13:00-14:00", "is not a period"},
      {"25:00-26:00", "is not a period"},
      {"12:00-08:00", "ends before it starts; a period cannot run past midnight: write 12:00-24:00 on this day and "
                      "00:00-08:00 on the next"},
      {"08:00-08:00", "is empty"},
      {"24:00-24:00", "starts at 24:00"},
      {"08:00-12:00 11:00-13:00", "the period 11:00-13:00 starts before the period 08:00-12:00 ends"},
      {"13:00-14:00 08:00-09:00", "the period 08:00-09:00 starts before the period 13:00-14:00 ends"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.periods);
    const Checked<std::string> stored = StoredFilterOfPeriods(c.periods);
    EXPECT_FALSE(stored.value.has_value());
    EXPECT_THAT(stored.refusal, HasSubstr(c.refusal));
  }
  EXPECT_EQ(StoredFilterOfPeriods("").value, "");
  EXPECT_EQ(StoredFilterOfPeriods(" None ").value, "");
  EXPECT_EQ(StoredFilterOfPeriods("08:00-12:00  12:00-13:00 21:00-24:00").value, "08:00 12:00 12:00 13:00 21:00 24:00");
}

// What hwctl stores restricts exactly the minutes of the periods given, read the way the service
// reads a filter.
TEST(StoredFilterOfPeriodsTest, TheServiceRestrictsExactlyTheGivenPeriods) {
  const struct {
    const char* periods;
    std::vector<std::pair<int, int>> minutes;  // [start, end) in minutes of the day
  } cases[] = {
      {"08:00-12:00", {{480, 720}}},
      {"00:00-07:00 21:00-24:00", {{0, 420}, {1260, 1440}}},
      {"08:00-12:00 12:00-13:00 23:59-24:00", {{480, 780}, {1439, 1440}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.periods);
    const std::string filter = *StoredFilterOfPeriods(c.periods).value;
    EXPECT_THAT(DayFilterProblems(filter), ElementsAre());
    for (int minute = 0; minute < 1440; ++minute) {
      bool inside = false;
      for (const auto& [start, end] : c.minutes) inside = inside || (minute >= start && minute < end);
      ASSERT_EQ(WalkDayFilter(filter, FormatTimeOfDay(minute / 1440.0, ":")).restricted, inside) << minute;
    }
  }
}

TEST(ArgumentsTest, DaysAllowancesGrantsAndLevels) {
  EXPECT_EQ(DaysOfArgument("mon").value, std::vector<int>{0});
  EXPECT_EQ(DaysOfArgument("SUN").value, std::vector<int>{6});
  EXPECT_EQ(DaysOfArgument("Wednesday").value, std::vector<int>{2});
  EXPECT_EQ(DaysOfArgument("all").value, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  for (const char* bad : {"mo", "day1", "", "0"})
    EXPECT_THAT(DaysOfArgument(bad).refusal, HasSubstr("is not a day: use mon, tue")) << bad;

  EXPECT_EQ(AllowanceOfArgument("-").value, 1440);
  EXPECT_EQ(AllowanceOfArgument("0").value, 0);
  EXPECT_EQ(AllowanceOfArgument("1440").value, 1440);
  for (const char* bad : {"1441", "", "+5", "1.5", " 60"})
    EXPECT_THAT(AllowanceOfArgument(bad).refusal, HasSubstr("is not an allowance")) << bad;

  EXPECT_EQ(GrantOfArgument("30").value, 30);
  for (const char* bad : {"0", "1441"})
    EXPECT_THAT(GrantOfArgument(bad).refusal, HasSubstr("whole minutes from 1 to 1440")) << bad;

  EXPECT_EQ(DebugLevelOfArgument("4").value, 4);
  for (const char* bad : {"5", "-1", "two"}) EXPECT_FALSE(DebugLevelOfArgument(bad).value) << bad;
}

TEST(NamesAndAddressesTest, UserNamesPathsAndTimeUrls) {
  for (const char* bad : {"", "a\\b", "a/b", " alice", "alice ", "...", "ali:ce", "twenty-one-characters", "a\tb",
                          "jos\xE9", "Дмитрий-Александрович"})
    EXPECT_TRUE(UserNameProblem(bad).has_value()) << bad;
  // Twenty characters in any alphabet, however many bytes they take.
  for (const char* good : {"alice", "Bob Smith", "j.doe", "twenty-characters-ok", "Дмитрий Александрови"})
    EXPECT_FALSE(UserNameProblem(good).has_value()) << good;

  EXPECT_THAT(PathProblems(""), ElementsAre(HasSubstr("is empty")));
  EXPECT_THAT(PathProblems("logs\\"), ElementsAre(HasSubstr("not a full folder path")));
  EXPECT_THAT(PathProblems("C:\\App"), ElementsAre(HasSubstr("the debug log becomes C:\\Appdebug.log")));
  EXPECT_THAT(PathProblems("%ProgramData%\\Hourwarden\\"),
              ElementsAre(HasSubstr("not a full folder path"), HasSubstr("does not expand")));
  EXPECT_THAT(PathProblems("C:\\Hourwarden\\"), ElementsAre());
  EXPECT_THAT(PathProblems("\\\\server\\logs\\"), ElementsAre());

  for (const char* bad : {"ftp://time.example.net/", "http://", "http:///timer.pl", "time.example.net",
                          "https://a.example/ none", "none none"})
    EXPECT_TRUE(TimeUrlProblem(bad).has_value()) << bad;
  EXPECT_EQ(TimeUrlProblem("http:// https://a.example/ x"),
            "\"http://\" names no host; \"x\" is not an http:// or https:// address");
  for (const char* good : {"http://127.0.0.1:8080/cgi-bin/timer.pl", "HTTPS://time.example.net/  http://a/b", "None", ""})
    EXPECT_FALSE(TimeUrlProblem(good).has_value()) << good;
}

}  // namespace
