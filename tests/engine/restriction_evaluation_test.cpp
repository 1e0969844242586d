#include "engine/restriction_evaluation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "fakes/engine_fixture.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

using EvaluationTest = EngineTest;

// alice, second of the logged-on users, has the Monday filter 21:00 24:00, 60 minutes and 30
// spent.
class AliceOnMondayEvening : public EngineTest {
 protected:
  AliceOnMondayEvening() {
    Restrict("alice", "21:00 24:00", "60", {"30", "07.12.2026"});
    service.LoggedOnUsers = StringList{"bob", "alice"};
  }
};

TEST_F(AliceOnMondayEvening, InsideHerRestrictedPeriodSheIsBlockedAndAskedToLogOff) {
  EvaluateRestrictions(service);
  EXPECT_EQ(Logged(), (Lines{"FILTER: alice", "current_time=21:05 day_of_week=0", "time_filter=21:00 24:00",
                             "time=24:00 restricted_period=1", "Spent time=30 Max time=60", "logoff=2 disable=1",
                             "User account successfully blocked: alice", "Writting logoff flag for user: alice",
                             "logoff_flag=1"}));
  EXPECT_THAT(accounts.Changes(), ElementsAre("blocked alice"));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "Logoff"), IntegerValue(1));
}

TEST_F(AliceOnMondayEvening, BeforeItSheIsUnblockedAndNoRequestIsRaised) {
  SetCycle({2026, 12, 7, 20, 59, 0, 0});
  EvaluateRestrictions(service);
  EXPECT_EQ(Logged(), (Lines{"FILTER: alice", "current_time=20:59 day_of_week=0", "time_filter=21:00 24:00",
                             "time=21:00 restricted_period=0", "Spent time=30 Max time=60", "logoff=2 disable=0",
                             "User account successfully unblocked: alice"}));
  EXPECT_THAT(accounts.Changes(), ElementsAre("unblocked alice"));
  EXPECT_FALSE(registry.KeyExistsForTesting(User("alice")));
}

TEST_F(AliceOnMondayEvening, TheFilterAndAllowanceOfTheCycleWeekdayApply) {
  SetCycle({2026, 12, 8, 21, 5, 0, 0});  // Tuesday: no period, the whole day
  (*TableEntry(service.SpentTimes, 0))[1] = "08.12.2026";
  EvaluateRestrictions(service);
  EXPECT_THAT(Logged(), Contains("current_time=21:05 day_of_week=1"));
  EXPECT_THAT(Logged(), Contains("Spent time=30 Max time=1440"));
  EXPECT_THAT(accounts.Changes(), ElementsAre("unblocked alice"));
}

// With the clock gone back to Sunday, Monday's count goes on, held against Monday's allowance,
// not against the whole day of Sunday.
TEST_F(AliceOnMondayEvening, ACountIsHeldAgainstTheAllowanceOfItsOwnDate) {
  (*TableEntry(service.SpentTimes, 0))[0] = "61";
  SetCycle({2026, 12, 6, 20, 0, 0, 0});
  EvaluateRestrictions(service);
  EXPECT_THAT(Logged(), Contains("Spent time=61 Max time=60"));
  EXPECT_THAT(accounts.Changes(), ElementsAre("blocked alice"));
}

TEST_F(EvaluationTest, EveryPassSetsEveryAccountAndRaisesRequestsOnlyForLoggedOnUsers) {
  Restrict("ann", "", "60", {"61", "07.12.2026"});        // over, logged on (other letter case)
  Restrict("bea", "21:00 22:00", "60", {"0", "07.12.2026"});  // restricted, not logged on
  Restrict("cid", "", "60", {"60", "07.12.2026"});        // free
  service.LoggedOnUsers = StringList{"ANN", "cid"};
  for (int pass = 0; pass < 2; ++pass) EvaluateRestrictions(service);
  EXPECT_THAT(accounts.Changes(), ElementsAre("blocked ann", "blocked bea", "unblocked cid", "blocked ann",
                                              "blocked bea", "unblocked cid"));
  EXPECT_THAT(Logged(), Contains("logoff=1 disable=1"));
  EXPECT_THAT(Logged(), Contains("logoff=0 disable=1"));
  EXPECT_THAT(Logged(), Contains("logoff=2 disable=0"));
  EXPECT_EQ(registry.SubkeyNamesForTesting(kRestrictionsKey), std::vector<std::string>{"ann"});
  EXPECT_EQ(registry.ValueForTesting(User("ann"), "Logoff"), IntegerValue(1));
}

TEST_F(EvaluationTest, WithoutConfirmedTimeEveryoneIsBlocked) {
  service.TimeSynced = false;
  Restrict("ann", "", "1440");
  Restrict("bea", "21:00 22:00", "0", {"5", "07.12.2026"});  // both checks hold: still one step
  Restrict("cid", "", "1440");
  service.LoggedOnUsers = StringList{"cid"};
  EvaluateRestrictions(service);
  EXPECT_THAT(accounts.Changes(), ElementsAre("blocked ann", "blocked bea", "blocked cid"));
  const Lines lines = Logged();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "inet_connected=0"), 3);
  EXPECT_THAT(lines, Contains("logoff=0 disable=1"));
  EXPECT_THAT(lines, Contains("logoff=0 disable=2"));
  EXPECT_THAT(lines, Contains("logoff=1 disable=1"));
  EXPECT_EQ(registry.SubkeyNamesForTesting(kRestrictionsKey), std::vector<std::string>{"cid"});
}

// The unconfirmed time asked both to log off; once it is confirmed, only bea, who is over her
// allowance, is still asked, and cid's request and minutes against it are forgotten.
TEST_F(EvaluationTest, AtTheConfirmedTimeAFreeUsersRequestIsWithdrawn) {
  Restrict("bea", "", "0", {"5", "07.12.2026"});
  Restrict("cid", "", "1440");
  service.LoggedOnUsers = StringList{"bea", "cid"};
  for (const char* name : {"bea", "cid"}) registry.SetIntegerForTesting(User(name), "Logoff", 1);
  service.StillLoggedMinutes["cid"] = 1;
  EvaluateAtConfirmedTime(service);
  EXPECT_THAT(accounts.Changes(), ElementsAre("blocked bea", "unblocked cid"));
  EXPECT_EQ(registry.ValueForTesting(User("bea"), "Logoff"), IntegerValue(1));
  EXPECT_EQ(registry.ValueForTesting(User("cid"), "Logoff"), IntegerValue(0));
  EXPECT_FALSE(service.StillLoggedMinutes.contains("cid"));
  EXPECT_THAT(Logged(), Contains("Logoff request withdrawn for cid: the time is confirmed and the user is free"));
}

TEST_F(EvaluationTest, ARequestThatCannotBeWrittenLeadsToThePrivilegeStepAndThePassGoesOn) {
  Restrict("ann", "00:00 24:00", "1440");
  Restrict("bea", "00:00 24:00", "1440");
  service.LoggedOnUsers = StringList{"ann", "bea"};
  registry.SetKeyRightsForTesting(User("ann"), 0);
  EvaluateRestrictions(service);
  EXPECT_EQ(accounts.privilegeSteps, 1);
  EXPECT_THAT(fixture.DebugMessages(), Contains("Shutting down computer"));
  EXPECT_THAT(accounts.Changes(), ElementsAre("blocked ann", "blocked bea"));
  EXPECT_EQ(registry.ValueForTesting(User("bea"), "Logoff"), IntegerValue(1));
}

TEST_F(EvaluationTest, AFailedAccountChangeDoesNotStopThePass) {
  Restrict("ghost", "", "1440");
  Restrict("bea", "", "1440");
  accounts.failures["ghost"] = "NetUserSetInfo failed with error 2221: ";
  EvaluateRestrictions(service);
  EXPECT_THAT(accounts.Changes(), ElementsAre("unblocked ghost", "unblocked bea"));
  EXPECT_THAT(Logged(), Contains("ERROR: Not possible to set user settings ghost"));
  EXPECT_THAT(Logged(), Contains("User account successfully unblocked: bea"));
}

TEST_F(EvaluationTest, NoRestrictedUsersMeansNoWorkAndNoLines) {
  service.LoggedOnUsers = StringList{"alice"};
  EvaluateRestrictions(service);
  EXPECT_THAT(Logged(), IsEmpty());
  EXPECT_TRUE(accounts.calls.empty());
}

// The current time text is compared byte by byte with the filter's times.
TEST_F(EvaluationTest, TheTimeFilterFollowsTheTextOrderOfItsTimes) {
  const struct {
    const char* filter;
    int hour, minute;
    int result;
    std::optional<std::string> stopLine;  // the "time=" line, only when a later time was found
  } cases[] = {
      {"08:00 12:00", 7, 59, 0, "time=08:00 restricted_period=0"},
      {"08:00 12:00", 8, 0, 1, "time=12:00 restricted_period=1"},
      {"08:00 12:00", 11, 59, 1, "time=12:00 restricted_period=1"},
      {"08:00 12:00", 12, 0, 0, std::nullopt},
      {"08:00  12:00", 9, 0, 1, "time=12:00 restricted_period=1"},
      {"00:00 07:00 21:00 24:00", 6, 59, 1, "time=07:00 restricted_period=1"},
      {"00:00 07:00 21:00 24:00", 7, 0, 0, "time=21:00 restricted_period=0"},
      {"00:00 07:00 21:00 24:00", 21, 0, 1, "time=24:00 restricted_period=1"},
      {"00:00 07:00 21:00 24:00", 23, 59, 1, "time=24:00 restricted_period=1"},
      {"22:00", 21, 0, 0, "time=22:00 restricted_period=0"},
      {"22:00", 23, 0, 0, std::nullopt},
      {"", 10, 0, 0, std::nullopt},
      {"    ", 10, 0, 0, std::nullopt},
      {"12:00 08:00", 10, 0, 0, "time=12:00 restricted_period=0"},
      {"12:00 08:00", 13, 0, 0, std::nullopt},
      {"8:00 12:00", 10, 0, 0, "time=8:00 restricted_period=0"},
      {"8:00 12:00", 23, 59, 0, "time=8:00 restricted_period=0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("'") + c.filter + "' at " + std::to_string(c.hour) + ":" + std::to_string(c.minute));
    service.RestrictedUsers.Clear();
    service.DayFilters.clear();
    service.DayLimits.clear();
    service.SpentTimes.clear();
    SetCycle({2026, 12, 9, c.hour, c.minute, 0, 0});  // Wednesday
    Restrict("alice", c.filter, "1440");
    service.DebugLines.Clear();

    EXPECT_EQ(CheckTimeFilter(service, "alice"), c.result);

    char now[8];
    std::snprintf(now, sizeof now, "%02d:%02d", c.hour, c.minute);
    Lines expected{std::string("current_time=") + now + " day_of_week=2", std::string("time_filter=") + c.filter};
    if (c.stopLine) expected.push_back(*c.stopLine);
    EXPECT_EQ(Logged(), expected);
  }
}

// A regional format with its own time separator.
class DotTimeFormat : public FixedRegionalFormat {
 public:
  std::string TimeSeparator() const override { return "."; }
};

// The stored periods are "HH:mm" with ":", so the current time is compared in that form whatever
// the locale: "09.30" would sort before "09:00" and shift every period.
TEST(TimeFilterSeparatorTest, TheCurrentTimeTextUsesAColonWhateverTheLocale) {
  DotTimeFormat dots;
  ServiceFixture dotted;
  dotted.platform.regionalFormat = &dots;
  THourwarden& other = dotted.Build();
  other.CycleNow = EncodeDateTime({2026, 12, 7, 9, 30, 0, 0});
  other.DayIndex = 0;
  other.RestrictedUsers = StringList{"alice", "bob"};
  other.DayFilters.emplace_back(StringList{"09:31 12:00", "", "", "", "", "", ""});
  other.DayFilters.emplace_back(StringList{"09:00 12:00", "", "", "", "", "", ""});
  other.DebugLines.Clear();

  EXPECT_EQ(CheckTimeFilter(other, "alice"), 0);
  EXPECT_EQ(CheckTimeFilter(other, "bob"), 1);
  EXPECT_THAT(dotted.BufferedMessages(), Contains("current_time=09:30 day_of_week=0"));
}

TEST_F(EvaluationTest, AUserWithoutFiltersIsNeverRestrictedByTimeAndTheFaultIsAtLevelTwo) {
  Restrict("alice", "00:00 24:00", "1440");
  service.DayFilters.clear();
  EXPECT_EQ(CheckTimeFilter(service, "alice"), 0);
  service.DebugLevel = 1;
  EXPECT_EQ(CheckTimeFilter(service, "alice"), 0);
  EXPECT_EQ(Logged(), (Lines{"ERROR: User alice has empty filter settings"}));

  service.DayFilters.emplace_back(std::nullopt);  // an empty slot
  service.DebugLevel = 2;
  service.DebugLines.Clear();
  EXPECT_EQ(CheckTimeFilter(service, "alice"), 0);
  EXPECT_EQ(Logged(), (Lines{"ERROR: User alice has empty filter settings"}));
}

TEST_F(EvaluationTest, TheTimeLimitIsExceededOnlyPastTheAllowance) {
  const struct {
    const char* allowance;
    const char* spent;
    int result;
    Lines lines;
  } cases[] = {
      {"60", "60", 0, {"Spent time=60 Max time=60"}},
      {"60", "61", 1, {"User logged over time limit:60", "Spent time=61 Max time=60"}},
      {"0", "0", 0, {"Spent time=0 Max time=0"}},
      {"0", "1", 1, {"User logged over time limit:0", "Spent time=1 Max time=0"}},
      {"-1", "0", 1, {"User logged over time limit:-1", "Spent time=0 Max time=-1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.spent) + " of " + c.allowance);
    service.RestrictedUsers.Clear();
    service.DayLimits.clear();
    service.SpentTimes.clear();
    Restrict("alice", "", c.allowance, {c.spent, "07.12.2026"});
    service.DebugLines.Clear();
    EXPECT_EQ(CheckTimeLimit(service, "alice"), c.result);
    EXPECT_EQ(Logged(), c.lines);
  }
}

// A number that is not a decimal integer of 32 bits counts as missing, with the message of the
// missing record or list; a record of another shape is passed over without one.
TEST_F(EvaluationTest, MissingOrUnreadableNumbersNeverPutAUserOverTheLimit) {
  const char* kNoSpent = "ERROR: Not possible to get current spent time for alice";
  const char* kNoLimit = "ERROR: Not possible to get max limit times for alice";
  const struct {
    const char* name;
    std::optional<StringList> record;
    std::optional<std::string> allowance;  // nothing: no DayLimits entry for her
    Lines lines;
  } cases[] = {
      {"no record", std::nullopt, "0", {kNoSpent}},
      {"no allowances", StringList{"99", "07.12.2026"}, std::nullopt, {kNoLimit}},
      {"neither", std::nullopt, std::nullopt, {kNoSpent, kNoLimit}},
      {"three entries", StringList{"99", "07.12.2026", "x"}, "0", {}},
      {"three entries, no allowances", StringList{"99", "07.12.2026", "x"}, std::nullopt, {kNoLimit}},
      {"allowance not decimal", StringList{"99", "07.12.2026"}, "1 hour", {kNoLimit}},
      {"allowance too large", StringList{"99", "07.12.2026"}, "2147483648", {kNoLimit}},
      {"count not decimal", StringList{"9x", "07.12.2026"}, "0", {kNoSpent}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    service.RestrictedUsers = StringList{"alice"};
    service.SpentTimes.clear();
    if (c.record) service.SpentTimes.emplace_back(*c.record);
    service.DayLimits.clear();
    service.DayLimits.emplace_back(std::nullopt);
    if (c.allowance) service.DayLimits[0] = StringList{*c.allowance, "0", "0", "0", "0", "0", "0"};
    service.DebugLines.Clear();
    EXPECT_EQ(CheckTimeLimit(service, "alice"), 0);
    EXPECT_EQ(Logged(), c.lines);
  }
}

TEST_F(EvaluationTest, AnUnreadableAllowanceLeavesTheOthersToThePass) {
  Restrict("ann", "", "sixty", {"500", "07.12.2026"});
  Restrict("bea", "", "60", {"61", "07.12.2026"});
  EvaluateRestrictions(service);
  EXPECT_THAT(accounts.Changes(), ElementsAre("unblocked ann", "blocked bea"));
  EXPECT_THAT(Logged(), Contains("ERROR: Not possible to get max limit times for ann"));
}

TEST_F(EvaluationTest, NamesThatAreNotRestrictedAreNeitherCheckedNorReported) {
  Restrict("alice", "00:00 24:00", "0", {"10", "07.12.2026"});
  EXPECT_EQ(CheckTimeFilter(service, "mallory"), 0);
  EXPECT_EQ(CheckTimeLimit(service, "mallory"), 0);
  EXPECT_EQ(CountRestrictions(service, "mallory"), 0);
  EXPECT_THAT(Logged(), IsEmpty());
  EXPECT_EQ(CountRestrictions(service, "ALICE"), 2);
}

}  // namespace
