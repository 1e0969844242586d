#include "engine/time_left.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/date_time.h"

namespace {

constexpr auto kNone = std::nullopt;
using Reason = HoldReason;

// Monday 7 December 2026 at the given time; Tuesday is the next day.
double MondayAt(int hour, int minute, int second = 0) { return EncodeDateTime({2026, 12, 7, hour, minute, second, 0}); }

struct UserSetup {
  std::string monday;
  std::optional<std::string> tuesday;
  std::optional<std::string> dayLimit;
  std::optional<int32_t> spent;
  std::optional<std::string> stamp = "07.12.2026";
};

StoredText Text(const std::optional<std::string>& text) { return {text.has_value(), text.value_or(""), ""}; }

UserValues ValuesOf(const UserSetup& setup) {
  UserValues values;
  values.days = {Text(setup.monday), Text(setup.tuesday), Text(""), Text(""), Text(""), Text(""), Text("")};
  values.dayLimit = Text(setup.dayLimit);
  values.spentTime = {setup.spent.has_value(), setup.spent.value_or(0), ""};
  values.timeStamp = Text(setup.stamp);
  return values;
}

TEST(TimeLeftTest, TheSoonerOfAllowanceAndRestrictedPeriodEndsTheDay) {
  const struct {
    const char* what;
    UserSetup user;
    int hour, minute;
    bool heldBack;
    std::optional<int> minutesLeft;
    Reason reason;
    std::string start;
  } cases[] = {
      {"allowance first", {"21:00 24:00", "", "60", 30}, 20, 0, false, 30, Reason::kAllowance, "21:00"},
      {"period first", {"21:00 24:00", "", "60", 30}, 20, 50, false, 10, Reason::kRestrictedPeriod, "21:00"},
      {"period one minute ahead", {"21:00 24:00", "", "", 0}, 20, 59, false, 1, Reason::kRestrictedPeriod, "21:00"},
      {"allowance reached: blocked from the next minute", {"", "", "60", 60}, 10, 0, false, 0, Reason::kAllowance, ""},
      {"allowance exceeded", {"", "", "60", 61}, 10, 0, true, 0, Reason::kAllowance, ""},
      {"allowance 0, nothing spent", {"", "", "0", 0}, 10, 0, false, 0, Reason::kAllowance, ""},
      {"period already running", {"08:00 12:00", "", "60", 0}, 9, 0, true, 0, Reason::kRestrictedPeriod, ""},
      {"period start minute", {"08:00 12:00", "", "", 0}, 8, 0, true, 0, Reason::kRestrictedPeriod, ""},
      {"period end minute is free", {"08:00 12:00", "", "", 0}, 12, 0, false, kNone, Reason::kNone, ""},
      {"24:00 ends a period at midnight", {"21:00 24:00", "", "", 0}, 23, 59, true, 0, Reason::kRestrictedPeriod, ""},
      {"a whole day to 24:00", {"00:00 24:00", "", "", 0}, 0, 0, true, 0, Reason::kRestrictedPeriod, ""},
      {"second period of the day", {"00:00 07:00 21:00 24:00", "", "", 0}, 7, 0, false, 840, Reason::kRestrictedPeriod,
       "21:00"},
      {"tomorrow's period from midnight", {"", "00:00 07:00", "", 0}, 23, 50, false, 10, Reason::kRestrictedPeriod,
       "00:00"},
      {"tomorrow's period later is not today's", {"", "06:00 07:00", "", 0}, 23, 50, false, kNone, Reason::kNone, ""},
      {"allowance lasting past midnight", {"", "", "60", 0}, 23, 30, false, kNone, Reason::kNone, ""},
      {"allowance ending before midnight", {"", "", "29", 0}, 23, 30, false, 29, Reason::kAllowance, ""},
      {"allowance ending with the day", {"", "", "30", 0}, 23, 30, false, kNone, Reason::kNone, ""},
      {"no allowance given: the whole day", {"", "", kNone, 0}, 10, 0, false, kNone, Reason::kNone, ""},
  };
  for (const auto& c : cases) {
    const TimeLeft left = ComputeTimeLeft(ValuesOf(c.user), MondayAt(c.hour, c.minute, 30));
    EXPECT_EQ(left.heldBackNow, c.heldBack) << c.what;
    EXPECT_EQ(left.minutesLeft, c.minutesLeft) << c.what;
    EXPECT_EQ(left.reason, c.reason) << c.what;
    EXPECT_EQ(left.restrictionStart, c.start) << c.what;
  }
}

// The minutes of the date the service counts them on now, against that date's allowance.
TEST(TimeLeftTest, SpentMinutesCountOnTheDateTheServiceCountsThemOn) {
  const struct {
    const char* what;
    std::optional<int32_t> spent;
    std::optional<std::string> stamp;
    std::vector<std::string> ledger;
    std::optional<int> left;
  } cases[] = {
      {"today", 50, "07.12.2026", {}, 10},
      {"yesterday: a new day", 50, "06.12.2026", {}, 60},
      {"tomorrow: the clock went back, tomorrow's count goes on", 50, "08.12.2026", {}, 1390},
      {"back from tomorrow: today's count is there again", 5, "08.12.2026", {"07.12.2026=61"}, -1},
      {"stamp missing", 50, kNone, {}, 60},
      {"empty stamp stands for today", 50, "", {}, 10},
  };
  for (const auto& c : cases) {
    UserValues values = ValuesOf({"", "", "60 1440", c.spent, c.stamp});
    values.spentDays = {!c.ledger.empty(), c.ledger, ""};
    EXPECT_EQ(ComputeTimeLeft(values, MondayAt(10, 0)).allowanceLeft, c.left) << c.what;
  }
}

TEST(TimeLeftTest, TodaysAllowanceFollowsTheServicesReading) {
  const struct {
    const char* limit;
    std::optional<int> monday, tuesday;
  } cases[] = {
      {"90   120", 90, 120},
      {"  45  ", 45, 1440},
      {"", 1440, 1440},
      {"abc 30", kNone, 30},
      {"60 1.5", 60, kNone},
      {"60 +30", 60, kNone},
      {"-5", -5, 1440},
  };
  const auto monday = static_cast<int32_t>(MondayAt(10, 0));
  for (const auto& c : cases) {
    const UserValues values = ValuesOf({"", "", c.limit, 0});
    EXPECT_EQ(AllowanceOn(values, monday), c.monday) << c.limit;
    EXPECT_EQ(AllowanceOn(values, monday + 1), c.tuesday) << c.limit;
  }
  // An allowance the service cannot count with is never found exceeded.
  const TimeLeft left = ComputeTimeLeft(ValuesOf({"", "", "abc", 5000}), MondayAt(10, 0));
  EXPECT_FALSE(left.heldBackNow);
  EXPECT_EQ(left.allowanceLeft, kNone);
  EXPECT_EQ(left.minutesLeft, kNone);
}

TEST(TimeLeftTest, UnusualFiltersRestrictExactlyWhereTheServicesWalkDoes) {
  const struct {
    const char* filter;
    int hour, minute;
    bool heldBack;
    std::optional<int> minutesToRestriction;
    std::string start;
  } cases[] = {
      {"8:00 12:00", 7, 0, false, kNone, ""},   // every time of day sorts before 8:00
      {"12:00 08:00", 7, 0, false, kNone, ""},  // descending
      {"12:00 08:00", 12, 30, false, kNone, ""},
      {"22:00", 21, 0, false, kNone, ""},  // a lone start
      {"08:00  12:00", 7, 0, false, 60, "08:00"},
      {"12:00 8:00", 11, 0, false, 60, "12:00"},  // restricted from 12:00, as every later time sorts before 8:00
      {"12:00 8:00", 23, 0, true, kNone, ""},
      {"12:3 13:00", 12, 0, false, 30, "12:30"},  // 12:30 is the first time that sorts after 12:3
      {"08:00 12:00 garbage", 13, 0, false, kNone, ""},
  };
  for (const auto& c : cases) {
    const TimeLeft left = ComputeTimeLeft(ValuesOf({c.filter, "", "", 0}), MondayAt(c.hour, c.minute));
    EXPECT_EQ(left.heldBackNow, c.heldBack) << c.filter << " at " << c.hour << ":" << c.minute;
    EXPECT_EQ(left.minutesToRestriction, c.minutesToRestriction) << c.filter << " at " << c.hour << ":" << c.minute;
    EXPECT_EQ(left.restrictionStart, c.start) << c.filter << " at " << c.hour << ":" << c.minute;
  }
}

TEST(TimeLeftTest, TheDaysAfterAMissingOneRestrictNothing) {
  UserValues values = ValuesOf({"00:00 24:00", kNone, "", 0});
  values.days[2] = Text("00:00 24:00");  // after the gap: never read
  EXPECT_TRUE(ComputeTimeLeft(values, MondayAt(10, 0)).heldBackNow);
  EXPECT_FALSE(ComputeTimeLeft(values, MondayAt(10, 0) + 2).heldBackNow);
}

}  // namespace
