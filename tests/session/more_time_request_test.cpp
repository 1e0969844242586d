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

TEST_F(MoreTimeRequestTest, SaysWhatACodeGivesAsFarAsTodaysMaximumByCodeAllows) {
  const struct {
    std::optional<int> user, product;
    int maximum;
    int givenToday;
    const char* givenOn;
    int minutes;
  } cases[] = {
      {std::nullopt, std::nullopt, 60, 0, "", 30}, {std::nullopt, 45, 60, 0, "", 45},
      {20, 45, 60, 0, "", 20},                     {std::nullopt, std::nullopt, 60, 50, "07.12.2026", 10},
      {60, std::nullopt, 60, 60, "07.12.2026", 0}, {60, std::nullopt, 60, 60, "06.12.2026", 60},
      {30, std::nullopt, 0, 0, "", 0},
  };
  for (const auto& c : cases) {
    registry.DeleteKeyForTesting(UserKeyPath("alice"));
    Set("DayLimit", "60");
    if (c.user) SetNumber(kCodeMinutesValue, *c.user);
    registry.SetIntegerForTesting(kProductKey, kCodeMinutesValue, c.product.value_or(30));
    SetNumber(kCodeMaxMinutesValue, c.maximum);
    SetNumber(kCodeGivenValue, c.givenToday);
    Set(kCodeDateValue, c.givenOn);
    desktop.nowMs += 10'000;
    tool.Tick();
    EXPECT_EQ(tool.MinutesByCode(), c.minutes) << c.maximum << " a day, " << c.givenToday << " given on " << c.givenOn;
  }
  SessionTool withoutService{"alice", registry.Opener(), clock, desktop};
  withoutService.Tick();
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
  EXPECT_EQ(tool.AskForMoreTime("123456"), "Code not accepted");
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kCountingDown);

  client.answer = "added 30\n";
  SetNumber("Logoff", 0);  // the service withdraws the request before it answers
  SetNumber("SpentTime", 29);
  EXPECT_EQ(tool.AskForMoreTime("123456"), "30 minutes added");
  EXPECT_EQ(tool.CurrentState(), SessionTool::State::kWatching);
  EXPECT_FALSE(desktop.noticeShown);
  EXPECT_EQ(client.requests.back(), "more-time code=123456\n");
  desktop.nowMs += 120'000;
  tool.Tick();
  EXPECT_EQ(desktop.logoffRequests, 0);
  EXPECT_EQ(desktop.tips.back(), "Hourwarden: 31 min left today");
}

TEST_F(MoreTimeRequestTest, SaysEveryAnswerInPlainWords) {
  const std::pair<std::optional<std::string>, const char*> cases[] = {
      {"added 15\n", "15 minutes added"},
      {"added 0\n", "Code accepted, but no minutes are counted today: there is nothing to add."},
      {"locked 21:40\n", "Too many wrong codes: try again after 21:40"},
      {"maximum 60\n", "No more time by code today: 60 minutes a day is the most."},
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

}  // namespace
