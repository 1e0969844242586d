#include "settingsapp/usage_today.h"

#include <gtest/gtest.h>

#include "base/date_time.h"

namespace {

// Wednesday 9 December 2026, 10:30.
const double kNow = EncodeDateTime({2026, 12, 9, 10, 30});

UserValues Values(const std::string& dayLimit, std::vector<std::string> ledger, int32_t spent, const char* stamp) {
  UserValues values;
  for (auto& day : values.days) day = {true, "", ""};
  values.days[2] = {true, "10:00 11:00", ""};
  values.dayLimit = {true, dayLimit, ""};
  values.spentDays = {true, std::move(ledger), ""};
  values.spentTime = {true, spent, ""};
  values.timeStamp = {true, stamp, ""};
  return values;
}

TEST(UsageTodayTest, SummaryInPlainWords) {
  struct Case {
    UserValues values;
    std::vector<std::string> lines;
  };
  UserValues pending = Values("60 60 90", {}, 100, "09.12.2026");
  pending.logoff = {true, 1, ""};
  const Case cases[] = {
      {Values("60 60 90", {}, 30, "09.12.2026"),
       {"Used today: 30 min of 1 h 30 min", "Left: 1 h", "A restricted period runs now."}},
      {pending,
       {"Used today: 1 h 40 min of 1 h 30 min", "Left: 0 min", "A restricted period runs now.",
        "The service is asking the account to stop."}},
      {Values("60 60 1440", {"10.12.2026=5"}, 5, "10.12.2026"),
       {"Used today: 5 min (counted on a later day: the clock was once set ahead)", "Left: no limit today",
        "A restricted period runs now."}},
      {Values("60 60 x", {}, 0, "09.12.2026"),
       {"Used today: 0 min", "Left: no limit the service can count with today (see the allowance)",
        "A restricted period runs now."}},
  };
  for (const Case& c : cases) EXPECT_EQ(SummaryLines(SummaryOf(c.values, kNow)), c.lines);
  EXPECT_FALSE(SummaryOf(Values("", {}, 0, ""), EncodeDateTime({2026, 12, 9, 11, 0})).restrictedNow);
}

TEST(UsageTodayTest, ChartOfTheLedgerWithGapsAndADayAhead) {
  // Monday 7 Dec counted 50, Tuesday nothing, today 20 (SpentTime newer than its ledger line), and
  // 11 December counted once while the clock was ahead.
  const UsageChart chart =
      ChartOf(Values("45 60 90 1440", {"07.12.2026=50", "09.12.2026=10", "11.12.2026=7", "01.01.2026=99"}, 20,
                     "09.12.2026"),
              kNow);
  ASSERT_EQ(chart.days.size(), 28u);
  EXPECT_EQ(LedgerDateText(chart.days.front().date), "12.11.2026");
  const ChartDay& monday = chart.days[25];
  EXPECT_EQ(LedgerDateText(monday.date), "07.12.2026");
  EXPECT_EQ(monday.minutes, 50);
  EXPECT_EQ(monday.allowance, 45);
  EXPECT_EQ(chart.days[26].minutes, 0);
  EXPECT_EQ(chart.days[27].minutes, 20);
  EXPECT_EQ(chart.days[27].allowance, 90);
  EXPECT_EQ(chart.days[22].allowance, std::nullopt);  // Thursday 3 Dec: a whole day
  ASSERT_EQ(chart.ahead.size(), 1u);
  EXPECT_EQ(LedgerDateText(chart.ahead[0].date), "11.12.2026");
  EXPECT_EQ(chart.ahead[0].minutes, 7);
  EXPECT_EQ(chart.largest, 90);
}

}  // namespace
