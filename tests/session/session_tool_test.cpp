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

// The countdown and the end as EndSession says: signed out without it, for "logoff" and for an
// unknown word; locked for "lock". The notice goes once the end is asked for.
TEST_F(SessionToolTest, CountsDownAndSignsOutOrLocksAsEndSessionSays) {
  const struct {
    const char* setting;  // nullptr: empty, as without the value
    const char* first;
    const char* last;
    bool locks;
  } cases[] = {
      {nullptr, "will sign you out in 60\xC2\xA0seconds.\nSave your game or homework now.", "in 1\xC2\xA0second.", false},
      {"logoff", "will sign you out in 60\xC2\xA0seconds.", "in 1\xC2\xA0second.", false},
      {"lock", "will lock in 60\xC2\xA0seconds.\nYour games and homework stay open", "lock in 1\xC2\xA0second.", true},
      {"sleep", "will sign you out in 60\xC2\xA0seconds.", "in 1\xC2\xA0second.", false},
  };
  SetValue("alice", "Logoff", 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.setting ? c.setting : "none");
    registry.SetStringForTesting(kProductKey, "EndSession", c.setting ? c.setting : "");
    FakeSessionDesktop screen;
    SessionTool caseTool{"alice", registry.Opener(), clock, screen};
    caseTool.Tick();
    for (int second = 0; second < 59; ++second) {
      screen.nowMs += 1000;
      caseTool.Tick();
    }
    EXPECT_EQ(screen.logoffRequests + screen.lockRequests, 0);
    ASSERT_EQ(screen.notices.size(), 60u);  // one per second, from 60 down to 1
    EXPECT_THAT(screen.notices.front(), HasSubstr(c.first));
    EXPECT_THAT(screen.notices.back(), HasSubstr(c.last));
    screen.nowMs += 1000;
    caseTool.Tick();
    EXPECT_EQ(screen.lockRequests, c.locks ? 1 : 0);
    EXPECT_EQ(screen.logoffRequests, c.locks ? 0 : 1);
    EXPECT_EQ(caseTool.CurrentState(), SessionTool::State::kEnded);
    EXPECT_FALSE(screen.noticeShown);
  }
}

// The service clears the request and raises it again within one minute's work: a request gone
// at one poll goes on counting down; gone at two in a row, the countdown and its notice end.
TEST_F(SessionToolTest, ARequestGoneAtTwoPollsInARowEndsTheCountdown) {
  SetValue("alice", "Logoff", 1);
  tool.Tick();
  SetValue("alice", "Logoff", 0);
  RunFor(5);
  SetValue("alice", "Logoff", 1);
  RunFor(5);
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kCountingDown);
  SetValue("alice", "Logoff", 0);
  RunFor(9);
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kCountingDown);
  RunFor(1);
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kWatching);
  EXPECT_FALSE(desktop.noticeShown);
  RunFor(120);
  EXPECT_EQ(desktop.logoffRequests, 0);
}

// A cancelled sign-out leaves the tool running, its notice gone: 30 s later, the request still
// raised, it counts down again and asks again. After a lock it waits 90 s.
TEST_F(SessionToolTest, AnEndThatDidNotEndTheSessionIsAskedForAgain) {
  SetValue("alice", "Logoff", 1);
  tool.Tick();
  RunFor(60);
  ASSERT_EQ(desktop.logoffRequests, 1);
  EXPECT_FALSE(desktop.noticeShown);
  RunFor(29);
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kEnded);
  RunFor(1);
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kCountingDown);
  EXPECT_THAT(desktop.notices.back(), HasSubstr("sign you out in 60"));
  RunFor(60);
  EXPECT_EQ(desktop.logoffRequests, 2);
  registry.SetStringForTesting(kProductKey, "EndSession", "lock");
  RunFor(30);
  RunFor(60);
  ASSERT_EQ(desktop.lockRequests, 1);
  RunFor(89);
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kEnded);
  RunFor(1);
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kCountingDown);
}

// While a parent's code is typed the end waits, saying so, for 30 s at most.
TEST_F(SessionToolTest, TheEndWaitsUpTo30SecondsWhileACodeIsTyped) {
  SetValue("alice", "Logoff", 1);
  tool.Tick();
  desktop.typing = true;
  RunFor(60 + 29);
  EXPECT_EQ(desktop.logoffRequests, 0);
  EXPECT_THAT(desktop.notices.back(), HasSubstr("Type the code now.\nThe computer waits 1\xC2\xA0second more"));
  RunFor(1);
  EXPECT_EQ(desktop.logoffRequests, 1);
  desktop.typing = false;
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
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kEnded);
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
  // 15 minutes left at 10:05, as the service counts: the end at 10:20.
  EXPECT_THAT(desktop.warnings,
              ElementsAre(AllOf(HasSubstr("At 10:20 the computer will sign you out."), HasSubstr("in 15\xC2\xA0minutes.")),
                          HasSubstr("in 5\xC2\xA0minutes."), HasSubstr("in 1\xC2\xA0minute.")));
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
              ElementsAre(AllOf(HasSubstr("At 21:00 the computer"), HasSubstr("15\xC2\xA0minutes")),
                          HasSubstr("At 21:00"), HasSubstr("1\xC2\xA0minute.")));
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
