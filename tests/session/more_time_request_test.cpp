#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/fake_service_pipe.h"
#include "fakes/fake_session_desktop.h"
#include "fakes/manual_clock.h"
#include "parentcode/code_values.h"
#include "session/session_texts.h"
#include "session/session_tool.h"
#include "settings/in_memory_registry.h"
#include "settings/settings_loader.h"

namespace {

using ::testing::ElementsAre;

// alice's tool on Monday 7 December 2026 at 10:00, 58 of her 60 minutes used.
class MoreTimeRequestTest : public ::testing::Test {
 protected:
  MoreTimeRequestTest() {
    clock.SetNow({2026, 12, 7, 10, 0, 0, 0});
    Set("DayLimit", "60");
    Set("TimeStamp", "07.12.2026");
    registry.SetIntegerForTesting(UserKeyPath("alice"), "SpentTime", 58);
    client.answer = "added 30\n";
    client.statusAnswer = "status version=1.0.0 time=confirmed code=on minutes=30 grace=5\n";
    tool.SetMoreTimeClient(&client);
  }
  void Set(const std::string& name, const std::string& text) {
    registry.SetStringForTesting(UserKeyPath("alice"), name, text);
  }
  void SetNumber(const std::string& name, int32_t number) {
    registry.SetIntegerForTesting(UserKeyPath("alice"), name, number);
  }

  InMemoryRegistry registry;
  ManualClock clock;
  FakeSessionDesktop desktop;
  ScriptedRequestClient client;
  SessionTool tool{"alice", registry.Opener(), clock, desktop};
};

// What is offered is what the service says of this user now (it knows whether a code is set
// up, and the day's maximum by code): nothing when it says no, cannot be asked, or is not the
// service.
TEST_F(MoreTimeRequestTest, OffersOnlyWhatTheServiceSays) {
  const struct {
    std::optional<std::string> status;
    bool notTheService;
    int minutes, grace;
  } cases[] = {
      {"status version=1.0.0 time=confirmed code=on minutes=20 grace=5\n", false, 20, 5},
      {"status version=1.0.0 time=confirmed code=off minutes=0 grace=0\n", false, 0, 0},
      {"status version=1.0.0 time=confirmed code=on minutes=30\n", false, 30, 0},
      {"", false, 0, 0},
      {std::nullopt, false, 0, 0},
      {"status version=1.0.0 time=confirmed code=on minutes=30 grace=5\n", true, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status.value_or("no answer"));
    client.statusAnswer = c.status;
    client.answer = c.status;
    client.notTheService = c.notTheService;
    tool.RefreshServiceStatus();
    EXPECT_EQ(tool.MinutesByCode(), c.minutes);
    EXPECT_EQ(tool.GraceMinutes(), c.grace);
  }
  SessionTool withoutService{"alice", registry.Opener(), clock, desktop};
  withoutService.RefreshServiceStatus();
  EXPECT_EQ(withoutService.MinutesByCode(), 0) << "no way to the service, nothing offered";
}

TEST_F(MoreTimeRequestTest, TheOneMinuteWarningAndTheCountdownOfferMoreTime) {
  tool.Tick();
  SetNumber("SpentTime", 59);
  desktop.nowMs += 10'000;
  tool.Tick();
  EXPECT_THAT(desktop.warningOffers, ElementsAre(false, true)) << "the warning at 5 minutes, then the one at 1";
  SetNumber("Logoff", 1);
  desktop.nowMs += 10'000;
  tool.Tick();
  ASSERT_FALSE(desktop.noticeOffers.empty());
  EXPECT_TRUE(desktop.noticeOffers.back());
}

TEST_F(MoreTimeRequestTest, AddedMinutesEndTheCountdownAndAWrongCodeDoesNot) {
  SetNumber("Logoff", 1);
  tool.Tick();
  ASSERT_EQ(tool.CurrentState(), SessionTool::State::kCountingDown);
  client.answer = "wrong\n";
  EXPECT_EQ(tool.AskForMoreTime("123456"), "That code did not work. Check the code on the phone and try again.");
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kCountingDown);

  client.answer = "added 30\n";
  SetNumber("Logoff", 0);  // the service withdraws the request before it answers
  SetNumber("SpentTime", 29);
  EXPECT_EQ(tool.AskForMoreTime("123456"), "30\xC2\xA0minutes added");
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kWatching);
  EXPECT_FALSE(desktop.noticeShown);
  EXPECT_EQ(client.requests.back(), "more-time code=123456 tries\n");
  desktop.nowMs += 120'000;
  tool.Tick();
  EXPECT_EQ(desktop.logoffRequests, 0);
  EXPECT_EQ(desktop.tips.back(), "Hourwarden: 31 min left today");
}

TEST_F(MoreTimeRequestTest, SaysEveryAnswerInPlainWords) {
  const std::pair<std::optional<std::string>, const char*> cases[] = {
      {"added 15\n", "15\xC2\xA0minutes added"},
      {"added 0\n", "Code accepted, but no minutes are counted today: there is nothing to add."},
      {"locked 21:40\n", "Wrong code. No tries left: you can try again at 21:40."},
      {"wrong tries=2\n", "Wrong code. 2\xC2\xA0tries left."},
      {"wrong tries=1\n", "Wrong code. 1\xC2\xA0try left."},
      {"maximum 60\n", "No more time by code today: 60\xC2\xA0minutes a day is the most."},
      {"grace 5\n", "5\xC2\xA0minutes to save your work"},
      {"unconfirmed\n", "The computer's clock is not confirmed yet. Try again in a minute."},
      {"no-code\n", "No parent's code is set up for this account."},
      {"nonsense\n", "The Hourwarden service gave an answer that is not understood."},
      {std::nullopt, kServiceUnreachableText},
  };
  for (const auto& [answer, text] : cases) {
    client.answer = answer;
    EXPECT_EQ(tool.AskForMoreTime("654321"), text);
  }
  client.notTheService = true;
  EXPECT_EQ(tool.AskForMoreTime("654321"), kNotTheServiceText);
  const size_t sent = client.requests.size();
  for (const char* code : {"12345", "1234567", "12a456", ""}) EXPECT_EQ(tool.AskForMoreTime(code), kCodeOfSixDigitsText);
  EXPECT_EQ(client.requests.size(), sent) << "a code that is not six digits is not sent";
}

// The grace, offered on the countdown while the service offers it, ends the countdown and says
// until when; the service answers for the day's use of it.
TEST_F(MoreTimeRequestTest, TheGraceEndsTheCountdownAndSaysUntilWhen) {
  SetNumber("Logoff", 1);
  tool.Tick();
  ASSERT_FALSE(desktop.graceOffers.empty());
  EXPECT_TRUE(desktop.graceOffers.back());
  client.answer = "grace 5\n";
  SetNumber("Logoff", 0);  // the service withdraws the request before it answers
  EXPECT_EQ(tool.AskForGrace(), "5\xC2\xA0minutes to save your work");
  EXPECT_THAT(client.requests, ::testing::Contains("grace\n"));
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kWatching);
  EXPECT_FALSE(desktop.noticeShown);
  EXPECT_EQ(desktop.warnings.back(), "You have until 10:05 to save your work.\nThen the computer will sign you out.");
  client.answer = "grace-used\n";
  EXPECT_EQ(tool.AskForGrace(), "The extra minutes to save your work are used up for today.");
}

}  // namespace
