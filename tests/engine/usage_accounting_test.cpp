#include "engine/usage_accounting.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "engine/restriction_evaluation.h"
#include "fakes/engine_fixture.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

using AccountingTest = EngineTest;

// alice's record holds 100 minutes of 7 December 2026; she owns a process just after midnight.
class FirstRefreshAfterMidnight : public EngineTest {
 protected:
  FirstRefreshAfterMidnight() {
    SetCycle({2026, 12, 8, 0, 0, 30, 0});
    Restrict("alice", "", "60", {"100", "07.12.2026"});
    registry.CreateKeyForTesting(User("alice"));
    service.LoggedOnUsers = StringList{"alice"};
  }
};

TEST_F(FirstRefreshAfterMidnight, TheCountStartsAgainAtZeroAndThenCountsOn) {
  EXPECT_EQ(UpdateSpentTimes(service), 2);
  EXPECT_EQ(Logged(), (Lines{"Updating spent time for user: alice", "Next day - reseting spent times",
                             "spent time=0 date=08.12.2026"}));
  EXPECT_EQ(*TableEntry(service.SpentTimes, 0), (StringList{"0", "08.12.2026"}));

  service.DebugLines.Clear();
  EXPECT_EQ(UpdateSpentTimes(service), 1);
  EXPECT_EQ(Logged(), (Lines{"Updating spent time for user: alice", "spent time=1 date=08.12.2026"}));
  EXPECT_EQ(*TableEntry(service.SpentTimes, 0), (StringList{"1", "08.12.2026"}));
}

TEST_F(FirstRefreshAfterMidnight, TheRefreshChecksTheRequestsCountsAndWritesInThatOrder) {
  MinuteRefresh(service);
  EXPECT_EQ(Logged(), (Lines{"alice: logoff_flag=0", "ReadSettings=0", "Updating spent time for user: alice",
                             "Next day - reseting spent times", "spent time=0 date=08.12.2026",
                             "Writing spent times for user:alice", "spent_time=0  date=08.12.2026"}));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "SpentTime"), IntegerValue(0));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "TimeStamp"), StringValue("08.12.2026"));
}

TEST_F(AccountingTest, EachRecordIsCountedAndDatedByItsOwnState) {
  const struct {
    const char* name;
    bool loggedOn;
    std::optional<StringList> record;
    StringList after;  // the record after the update
    int changes;
    Lines lines;
  } cases[] = {
      {"logged on today", true, StringList{"5", "07.12.2026"}, {"6", "07.12.2026"}, 1,
       {"spent time=6 date=07.12.2026"}},
      {"not logged on today", false, StringList{"5", "07.12.2026"}, {"5", "07.12.2026"}, 0,
       {"spent time=5 date=07.12.2026"}},
      {"not logged on, new day", false, StringList{"5", "06.12.2026"}, {"0", "07.12.2026"}, 1,
       {"Next day - reseting spent times", "spent time=0 date=07.12.2026"}},
      {"empty date", false, StringList{"5", ""}, {"0", "07.12.2026"}, 1,
       {"Next day - reseting spent times", "spent time=0 date=07.12.2026"}},
      {"date without leading zero", true, StringList{"5", "7.12.2026"}, {"0", "07.12.2026"}, 2,
       {"Next day - reseting spent times", "spent time=0 date=07.12.2026"}},
      // A count of a later date (the clock went back before it) goes on: going back gives no new day.
      {"dated tomorrow", true, StringList{"5", "08.12.2026"}, {"6", "08.12.2026"}, 1,
       {"The clock went back to 07.12.2026, before 08.12.2026 counted for alice: its minutes are counted on "
        "08.12.2026 (5 so far)", "spent time=6 date=08.12.2026"}},
      {"dated a year ahead", false, StringList{"61", "07.12.2027"}, {"61", "07.12.2027"}, 0,
       {"The clock went back to 07.12.2026, before 07.12.2027 counted for alice: its minutes are counted on "
        "07.12.2027 (61 so far)", "spent time=61 date=07.12.2027"}},
      {"dated on a day that does not exist", false, StringList{"5", "31.02.2027"}, {"0", "07.12.2026"}, 1,
       {"Next day - reseting spent times", "spent time=0 date=07.12.2026"}},
      {"count at the 32-bit limit", true, StringList{"2147483647", "07.12.2026"}, {"2147483647", "07.12.2026"}, 1,
       {"spent time=2147483647 date=07.12.2026"}},
      {"three entries", true, StringList{"5", "07.12.2026", "x"}, {"5", "07.12.2026", "x"}, 0,
       {"ERROR: Not possible to update spent time for alice"}},
      {"count not decimal", true, StringList{"5 min", "07.12.2026"}, {"5 min", "07.12.2026"}, 0,
       {"ERROR: Not possible to update spent time for alice"}},
      {"count beyond 32 bits", true, StringList{"4294967296", "07.12.2026"}, {"4294967296", "07.12.2026"}, 0,
       {"ERROR: Not possible to update spent time for alice"}},
      {"no record", true, std::nullopt, {}, 0, {"ERROR: Not possible to update spent time for alice"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    service.RestrictedUsers = StringList{"alice"};
    service.SpentTimes.clear();
    service.SpentDays.clear();
    if (c.record) service.SpentTimes.emplace_back(*c.record);
    service.LoggedOnUsers = c.loggedOn ? StringList{"ALICE"} : StringList{"bob"};
    service.DebugLines.Clear();

    EXPECT_EQ(UpdateSpentTimes(service), c.changes);

    Lines expected{"Updating spent time for user: alice"};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(Logged(), expected);
    if (c.record) {
      EXPECT_EQ(*TableEntry(service.SpentTimes, 0), c.after);
    }
  }
}

TEST_F(AccountingTest, AnUnreadableRecordLeavesTheOtherUsersCountedAndWritten) {
  Restrict("ann", "", "1440", {"", "07.12.2026"});
  Restrict("bea", "", "1440", {"10", "07.12.2026"});
  service.SpentTimes.emplace_back(StringList{"77", "01.01.2000"});  // beyond the users: left alone
  service.LoggedOnUsers = StringList{"ann", "bea"};
  service.DebugLevel = 1;
  EXPECT_EQ(UpdateSpentTimes(service), 1);
  EXPECT_EQ(Logged(), (Lines{"ERROR: Not possible to update spent time for ann"}));
  EXPECT_EQ(*TableEntry(service.SpentTimes, 1), (StringList{"11", "07.12.2026"}));
  EXPECT_EQ(*TableEntry(service.SpentTimes, 2), (StringList{"77", "01.01.2000"}));
}

TEST_F(AccountingTest, NinetyMinutesOnADayPassSixtyFromTheSixtyFirstOn) {
  SetCycle({2026, 12, 7, 8, 0, 0, 0});
  Restrict("alice", "", "60", {"0", "07.12.2026"});
  service.LoggedOnUsers = StringList{"alice"};
  std::vector<int> overAt;
  for (int minute = 1; minute <= 90; ++minute) {
    EXPECT_EQ(UpdateSpentTimes(service), 1);
    if (CheckTimeLimit(service, "alice") == 1) overAt.push_back(minute);
  }
  EXPECT_EQ((*TableEntry(service.SpentTimes, 0))[0], "90");
  ASSERT_EQ(overAt.size(), 30u);
  EXPECT_EQ(overAt.front(), 61);
}

TEST_F(AccountingTest, WithNobodyLoggedOnAndTheSameDayNothingIsWritten) {
  Restrict("alice", "", "60", {"5", "07.12.2026"});
  Restrict("bob", "", "60", {"9", "07.12.2026"});
  MinuteRefresh(service);
  EXPECT_THAT(Logged(), Not(Contains("Writing spent times for user:alice")));
  EXPECT_FALSE(registry.ValueForTesting(User("alice"), "SpentTime").has_value());
}

TEST_F(AccountingTest, AReloadRequestReplacesTheTablesAndCountsNoMinute) {
  Restrict("alice", "", "60", {"5", "07.12.2026"});
  service.LoggedOnUsers = StringList{"alice", "carol"};
  registry.SetIntegerForTesting(kProductKey, "ReadSettings", 1);
  registry.SetIntegerForTesting(kProductKey, "Debug", 3);
  registry.SetStringForTesting(User("carol"), "DayLimit", "30");
  registry.SetIntegerForTesting(User("carol"), "SpentTime", 20);
  registry.SetStringForTesting(User("carol"), "TimeStamp", "07.12.2026");
  registry.SetIntegerForTesting(User("carol"), "Logoff", 1);

  MinuteRefresh(service);

  // alice has no key in the registry: the logoff check does not create one, so the reload drops
  // her; carol's count comes from the registry.
  EXPECT_EQ(service.RestrictedUsers, (StringList{"carol"}));
  ASSERT_EQ(service.SpentTimes.size(), 1u);
  EXPECT_EQ(*TableEntry(service.SpentTimes, 0), (StringList{"20", "07.12.2026"}));
  EXPECT_EQ(registry.ValueForTesting(kProductKey, "ReadSettings"), IntegerValue(0));
  EXPECT_EQ(registry.ValueForTesting(User("carol"), "SpentTime"), IntegerValue(20));
  // The requests were followed up for the users restricted before the reload.
  EXPECT_EQ(registry.ValueForTesting(User("carol"), "Logoff"), IntegerValue(1));
  EXPECT_THAT(Logged(), Not(Contains("Updating spent time for user: alice")));
  EXPECT_THAT(Logged(), Not(Contains("Updating spent time for user: carol")));
}

// A child's trips with the clock or the zone: each step takes the cycle to a date (at 10:00) and
// counts the minutes alice is logged on; the record after it is what the service keeps. Each
// date's allowance is spent once, whatever order the dates come in, and the debug log says that
// the clock went back once per change.
TEST_F(AccountingTest, ATripToAnotherDateAndBackFindsEachDatesCountAgain) {
  struct Step {
    int day, minutes;  // of December 2026
    StringList record;
  };
  std::vector<std::string> full;  // the 62 days up to 7 December but 1 December (the PC was off)
  for (int32_t date = *LedgerDate("07.10.2026"); date < *LedgerDate("07.12.2026"); ++date)
    if (LedgerDateText(date) != "01.12.2026") full.push_back(LedgerDateText(date) + "=10");
  const struct {
    const char* what;
    std::vector<std::string> ledger;
    std::vector<Step> steps;
    std::string firstLine;  // of the ledger at the end
    long saidBack;
  } cases[] = {
      // A new day's first minute is not counted.
      {"to tomorrow and back, then tomorrow comes", {}, {{8, 2, {"1", "08.12.2026"}}, {7, 1, {"62", "07.12.2026"}},
                                                          {8, 1, {"2", "08.12.2026"}}}, "07.12.2026=62", 1},
      {"to yesterday and back, twice", {}, {{6, 1, {"62", "07.12.2026"}}, {6, 1, {"63", "07.12.2026"}},
        {5, 1, {"64", "07.12.2026"}}, {7, 1, {"65", "07.12.2026"}}, {6, 1, {"66", "07.12.2026"}}}, "07.12.2026=66", 3},
      {"to a date missing from a full ledger", full, {{1, 1, {"62", "07.12.2026"}}}, "07.10.2026=10", 1},
      {"a new day drops the oldest date of a full ledger", full, {{8, 1, {"0", "08.12.2026"}}}, "08.10.2026=10", 0},
  };
  for (const auto& c : cases) {
    service.RestrictedUsers = StringList{"alice"};
    service.SpentTimes = {StringList{"61", "07.12.2026"}};
    service.SpentDays = {ParseLedger(c.ledger).ledger};
    service.LoggedOnUsers = StringList{"alice"};
    service.DebugLines.Clear();
    for (const Step& step : c.steps) {
      SetCycle({2026, 12, step.day, 10, 0, 0, 0});
      for (int minute = 0; minute < step.minutes; ++minute) UpdateSpentTimes(service);
      EXPECT_EQ(*TableEntry(service.SpentTimes, 0), step.record) << c.what << ", " << step.day << " December";
    }
    EXPECT_EQ(LedgerLines(service.SpentDays[0]).front(), c.firstLine) << c.what;
    const Lines logged = Logged();
    EXPECT_EQ(std::count_if(logged.begin(), logged.end(), [](const std::string& line) {
                return line.rfind("The clock went back", 0) == 0;
              }), c.saidBack) << c.what;
  }
}

}  // namespace
