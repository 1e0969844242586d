#include "engine/account_blocking.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/restriction_evaluation.h"
#include "fakes/engine_fixture.h"
#include "settings/user_state_store.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using BlockingTest = EngineTest;

TEST_F(BlockingTest, EachCallSetsTheWholeWeekToNoneOrAllWithAFreshBitmap) {
  const struct {
    bool blocked;
    uint8_t byte;
    const char* line;
  } cases[] = {
      {true, 0x00, "User account successfully blocked: alice"},
      {false, 0xFF, "User account successfully unblocked: alice"},
      {true, 0x00, "User account successfully blocked: alice"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    accounts.calls.clear();
    service.DebugLines.Clear();
    SetAccountBlocked(service, "alice", c.blocked);
    ASSERT_EQ(accounts.calls.size(), 1u);
    EXPECT_EQ(accounts.calls[0].userName, "alice");
    EXPECT_EQ(accounts.calls[0].unitsPerWeek, 168);
    LogonHours expected;
    expected.fill(c.byte);
    EXPECT_EQ(accounts.calls[0].hours, expected);
    EXPECT_EQ(Logged(), (Lines{c.line}));
  }
  service.DebugLevel = 1;
  service.DebugLines.Clear();
  SetAccountBlocked(service, "alice", true);
  EXPECT_THAT(Logged(), IsEmpty());
}

TEST_F(BlockingTest, AFailedChangeIsReportedWithTheCallAndItsCode) {
  accounts.failures["ghost"] = "NetUserSetInfo failed with error 2221: ";
  SetAccountBlocked(service, "ghost", true);
  EXPECT_EQ(Logged(),
            (Lines{"ERROR: Not possible to set user settings ghost", "NetUserSetInfo failed with error 2221: "}));
  service.DebugLevel = 1;
  service.DebugLines.Clear();
  SetAccountBlocked(service, "ghost", false);
  EXPECT_THAT(Logged(), IsEmpty());
}

TEST_F(BlockingTest, ANameLongerThanTheAccountCallTakesIsRefusedUntouched) {
  const std::string longest(100, 'a');
  SetAccountBlocked(service, longest, true);
  ASSERT_EQ(accounts.calls.size(), 1u);
  EXPECT_EQ(accounts.calls[0].userName, longest);

  const std::string tooLong = longest + "b";
  accounts.calls.clear();
  service.DebugLines.Clear();
  SetAccountBlocked(service, tooLong, true);
  EXPECT_TRUE(accounts.calls.empty());
  EXPECT_EQ(Logged(), (Lines{"ERROR: Not possible to set user settings " + tooLong}));
}

TEST_F(BlockingTest, UnblockAllUsersReleasesEveryRestrictedAccount) {
  Restrict("ann", "00:00 24:00", "0", {"500", "07.12.2026"});
  Restrict("bea", "", "1440");
  UnblockAllUsers(service);
  EXPECT_THAT(accounts.Changes(), ElementsAre("unblocked ann", "unblocked bea"));
}

// alice was held back and logged on at 21:00, so the pass raised her logoff request.
class LogoffFollowUpTest : public EngineTest {
 protected:
  LogoffFollowUpTest() {
    SetCycle({2026, 12, 7, 21, 1, 0, 0});
    Restrict("alice", "", "60", {"61", "07.12.2026"});
    registry.SetIntegerForTesting(User("alice"), "Logoff", 1);
  }
};

TEST_F(LogoffFollowUpTest, StillLoggedOnAMinuteLaterSheIsReportedAndThePrivilegeStepRuns) {
  service.LoggedOnUsers = StringList{"alice"};
  CheckLogoffFlags(service);
  EXPECT_EQ(accounts.privilegeSteps, 1);
  EXPECT_EQ(fixture.DebugMessages(),
            (Lines{"alice: logoff_flag=1", "User alice still logged !", "Reseting logoff flag for user: alice",
                   "Writting logoff flag for user: alice", "logoff_flag=0", "Shutting down computer"}));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "Logoff"), IntegerValue(0));

  service.DebugLines.Clear();
  EvaluateRestrictions(service);  // the same minute's pass asks again
  EXPECT_THAT(accounts.Changes(), ElementsAre("blocked alice"));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "Logoff"), IntegerValue(1));
}

TEST_F(LogoffFollowUpTest, LoggedOffByTheCompanionHerRequestIsOnlyCleared) {
  CheckLogoffFlags(service);
  EXPECT_EQ(accounts.privilegeSteps, 0);
  EXPECT_EQ(Logged(), (Lines{"alice: logoff_flag=1", "Reseting logoff flag for user: alice",
                             "Writting logoff flag for user: alice", "logoff_flag=0"}));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "Logoff"), IntegerValue(0));

  service.DebugLines.Clear();
  EvaluateRestrictions(service);
  EXPECT_THAT(accounts.Changes(), ElementsAre("blocked alice"));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "Logoff"), IntegerValue(0));
}

TEST_F(BlockingTest, AnyRaisedFlagIsClearedAndStillLoggedUsersShareOnePrivilegeStep) {
  Restrict("ann", "", "1440");
  Restrict("bea", "", "1440");
  Restrict("cid", "", "1440");
  Restrict("dan", "", "1440");
  registry.SetIntegerForTesting(User("ann"), "Logoff", 1);
  registry.SetIntegerForTesting(User("bea"), "Logoff", 2);
  registry.SetIntegerForTesting(User("cid"), "Logoff", 0);
  service.LoggedOnUsers = StringList{"BEA", "ann", "cid", "dan"};
  service.DebugLevel = 1;

  CheckLogoffFlags(service);

  EXPECT_EQ(accounts.privilegeSteps, 1);
  EXPECT_EQ(fixture.DebugMessages(),
            (Lines{"User ann still logged !", "Writting logoff flag for user: ann", "User bea still logged !",
                   "Writting logoff flag for user: bea", "Shutting down computer"}));
  for (const char* name : {"ann", "bea", "cid"})
    EXPECT_EQ(registry.ValueForTesting(User(name), "Logoff"), IntegerValue(0)) << name;
  EXPECT_FALSE(registry.ValueForTesting(User("dan"), "Logoff").has_value());
}

TEST_F(LogoffFollowUpTest, AtLevelZeroNothingIsWrittenButThePrivilegeStepStillFlushes) {
  service.DebugLevel = 0;
  service.LoggedOnUsers = StringList{"alice"};
  service.ProcessEvents.Add("pending process line");
  CheckLogoffFlags(service);
  EXPECT_EQ(accounts.privilegeSteps, 1);
  EXPECT_TRUE(service.ProcessEvents.Empty());
  EXPECT_EQ(fixture.ProcessLog(), std::string("pending process line") + kNativeLineEnd);
  EXPECT_THAT(fixture.DebugLog(), IsEmpty());
}

TEST_F(BlockingTest, APrivilegeStepThatFailsSaysWhyAtLevelThreeAndFlushesNothing) {
  const struct {
    PrivilegeStep step;
    const char* failure;
    const char* line;
  } cases[] = {
      {PrivilegeStep::kOpenToken, "OpenProcessToken failed with error 5: ",
       "Unable to open process for shutdown"},
      {PrivilegeStep::kAdjust, "AdjustTokenPrivileges failed with error 1300: ",
       "Unable to adjust token privilege for shutdown"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    accounts.privilegeResult = {CallFailure{c.failure}, c.step};
    service.DebugLevel = 3;
    service.DebugLines.Clear();
    PrepareShutdown(service);
    EXPECT_EQ(Logged(), (Lines{c.line, c.failure}));
    service.DebugLevel = 2;
    service.DebugLines.Clear();
    PrepareShutdown(service);
    EXPECT_THAT(Logged(), IsEmpty());
  }
  EXPECT_THAT(fixture.DebugLog(), IsEmpty());
}

// The service's own handlers, with the real steps: a start without confirmed time blocks every
// restricted user; a stop gives every account its hours back, a system shutdown takes them all.
class StopAndShutdownTest : public ::testing::Test {
 protected:
  StopAndShutdownTest() {
    fixture.registry.SetIntegerForTesting(kProductKey, "Debug", 2);
    fixture.registry.SetStringForTesting(kProductKey, "Path", fixture.dir.Prefix());
    fixture.registry.SetStringForTesting(UserKeyPath("ann"), "DayLimit", "1440");
    fixture.registry.SetStringForTesting(UserKeyPath("bea"), "DayLimit", "1440");
    THourwarden& service = fixture.Build();
    bool started = false;
    service.ServiceStart(started);
    EXPECT_THAT(fixture.accounts.Changes(), ElementsAre("blocked ann", "blocked bea"));
    fixture.accounts.calls.clear();
  }
  ServiceFixture fixture;
};

TEST_F(StopAndShutdownTest, StopUnblocksEveryRestrictedUser) {
  bool stopped = false;
  fixture.service->ServiceStop(stopped);
  EXPECT_THAT(fixture.accounts.Changes(), ElementsAre("unblocked ann", "unblocked bea"));
  EXPECT_THAT(fixture.DebugMessages(), Contains("User account successfully unblocked: ann"));
}

// What starts after a shutdown may not be the service (Safe Mode, a disabled service): every
// restricted account goes down blocked.
TEST_F(StopAndShutdownTest, ShutdownBlocksEveryRestrictedAccount) {
  fixture.service->ServiceShutdown();
  EXPECT_THAT(fixture.accounts.Changes(), ElementsAre("blocked ann", "blocked bea"));
  EXPECT_THAT(fixture.DebugMessages(), Contains("User account successfully blocked: bea"));
}

}  // namespace
