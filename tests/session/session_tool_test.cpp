#include "session/session_tool.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/fake_session_desktop.h"
#include "fakes/manual_clock.h"
#include "settings/in_memory_registry.h"
#include "settings/settings_loader.h"

namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// The tool of the user "alice" on Monday 7 December 2026, polling every 5 s with a 60 s countdown.
class SessionToolTest : public ::testing::Test {
 protected:
  SessionToolTest() { clock.SetNow({2026, 12, 7, 10, 0, 0, 0}); }
  ~SessionToolTest() override { EXPECT_EQ(registry.OpenKeyCountForTesting(), 0); }

  void SetValue(const std::string& user, const std::string& name, int32_t value) {
    registry.SetIntegerForTesting(UserKeyPath(user), name, value);
  }
  void SetText(const std::string& user, const std::string& name, const std::string& text) {
    registry.SetStringForTesting(UserKeyPath(user), name, text);
  }
  // Ticks once a second for the given time, the local clock moving along.
  void RunFor(int seconds) {
    for (int i = 0; i < seconds; ++i) {
      desktop.nowMs += 1000;
      clock.AdvanceSeconds(1);
      tool.Tick();
    }
  }

  InMemoryRegistry registry;
  ManualClock clock;
  FakeSessionDesktop desktop;
  SessionTool tool{"alice", registry.Opener(), clock, desktop};
};

TEST_F(SessionToolTest, ALogoffRequestSeenOnceEndsTheSessionAfterTheCountdownEvenWhenCleared) {
  SetValue("alice", "Logoff", 1);
  tool.Tick();
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kCountingDown);
  SetValue("alice", "Logoff", 0);  // the service clears the request at its next minute

  RunFor(59);
  EXPECT_EQ(desktop.logoffRequests, 0);
  ASSERT_EQ(desktop.notices.size(), 60u);  // one per second, from 60 down to 1
  EXPECT_THAT(desktop.notices.front(), HasSubstr("logged off in 60 seconds"));
  EXPECT_THAT(desktop.notices.back(), HasSubstr("logged off in 1 second."));

  RunFor(1);
  EXPECT_EQ(desktop.logoffRequests, 1);
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kLoggedOff);
  RunFor(120);
  EXPECT_EQ(desktop.logoffRequests, 1);
}

// A cancelled sign-out leaves the tool running: 30 s later, the request still raised, it counts
// down again and asks again.
TEST_F(SessionToolTest, ALogoffThatDidNotEndTheSessionIsAskedForAgain) {
  SetValue("alice", "Logoff", 1);
  tool.Tick();
  RunFor(60);
  ASSERT_EQ(desktop.logoffRequests, 1);
  RunFor(29);
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kLoggedOff);
  RunFor(1);
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kCountingDown);
  EXPECT_THAT(desktop.notices.back(), HasSubstr("logged off in 60 seconds"));
  RunFor(60);
  EXPECT_EQ(desktop.logoffRequests, 2);
}

TEST_F(SessionToolTest, AnyNonZeroRequestCountsAndTheNameMatchesWithoutRegardToCase) {
  SetValue("ALICE", "Logoff", 7);
  tool.Tick();
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kCountingDown);
}

TEST_F(SessionToolTest, TheRegistryIsReadOnlyOncePerPoll) {
  tool.Tick();
  SetValue("alice", "Logoff", 1);
  RunFor(4);
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kWatching);
  RunFor(1);
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kCountingDown);
}

TEST_F(SessionToolTest, AFailedLogoffIsTriedAgainAtEveryPoll) {
  desktop.logoffSucceeds = false;
  SetValue("alice", "Logoff", 1);
  tool.Tick();
  RunFor(60);
  EXPECT_EQ(desktop.logoffRequests, 1);
  RunFor(4);
  EXPECT_EQ(desktop.logoffRequests, 1);
  RunFor(1);
  EXPECT_EQ(desktop.logoffRequests, 2);
  desktop.logoffSucceeds = true;
  RunFor(30);
  EXPECT_EQ(desktop.logoffRequests, 3);
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kLoggedOff);
}

TEST_F(SessionToolTest, AUserWithoutAKeySeesNothingAndIsNeverLoggedOff) {
  SetValue("bob", "Logoff", 1);  // another user's request
  SetText("bob", "DayLimit", "0");
  tool.Tick();
  RunFor(3 * 3600);
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kWatching);
  EXPECT_THAT(desktop.tips, IsEmpty());
  EXPECT_THAT(desktop.warnings, IsEmpty());
  EXPECT_THAT(desktop.notices, IsEmpty());
  EXPECT_EQ(desktop.logoffRequests, 0);
  EXPECT_FALSE(registry.KeyExistsForTesting(UserKeyPath("alice")));  // only read, never created
}

TEST_F(SessionToolTest, WarnsOnceEachAt15And5And1MinutesAsTheServiceCountsTheAllowanceDown) {
  SetText("alice", "DayLimit", "60");
  SetText("alice", "TimeStamp", "07.12.2026");
  for (int spent = 40; spent <= 60; ++spent) {
    SetValue("alice", "SpentTime", spent);  // the service's count of this minute
    RunFor(60);
  }
  EXPECT_THAT(desktop.warnings, ElementsAre(HasSubstr("ends in 15 minutes"), HasSubstr("ends in 5 minutes"),
                                            HasSubstr("ends in 1 minute.")));
  EXPECT_THAT(desktop.tips.front(), HasSubstr("20 min left today"));
  EXPECT_THAT(desktop.tips.back(), HasSubstr("0 min left today"));
  EXPECT_EQ(desktop.tips.size(), 21u);  // only changes reach the tray
  EXPECT_EQ(desktop.logoffRequests, 0);
}

TEST_F(SessionToolTest, WarnsOfTheComingRestrictedPeriodWithItsStart) {
  clock.SetNow({2026, 12, 7, 20, 40, 0, 0});
  SetText("alice", "Day0", "21:00 24:00");
  tool.Tick();
  RunFor(20 * 60);
  EXPECT_THAT(desktop.warnings,
              ElementsAre(AllOf(HasSubstr("from 21:00 on"), HasSubstr("15 minutes")), HasSubstr("5 minutes"),
                          HasSubstr("1 minute.")));
  EXPECT_THAT(desktop.tips.back(), HasSubstr("no computer time left"));
}

TEST_F(SessionToolTest, AKeyThatGoesAwayTakesTheTrayIconWithIt) {
  SetText("alice", "DayLimit", "600");
  tool.Tick();
  registry.DeleteKeyForTesting(UserKeyPath("alice"));
  RunFor(5);
  ASSERT_EQ(desktop.tips.size(), 2u);
  EXPECT_THAT(desktop.tips[0], HasSubstr("10 h left today"));
  EXPECT_EQ(desktop.tips[1], "");
}

}  // namespace
