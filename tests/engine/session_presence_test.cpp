#include "engine/session_presence.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "engine/usage_accounting.h"
#include "fakes/engine_fixture.h"

namespace {

using ::testing::Contains;

constexpr auto kActive = SessionConnection::kActive;
constexpr auto kGone = SessionConnection::kDisconnected;
constexpr auto kLocked = SessionLock::kLocked;
constexpr auto kUnlocked = SessionLock::kUnlocked;

UserSession Session(uint32_t id, const char* user, SessionConnection connection, SessionLock lock = kUnlocked,
                    const char* stateFailure = "") {
  return {id, user, "PC", connection, lock, stateFailure, {}};
}

// kid owns running programs in the given sessions; the computer lists the given sessions.
class PresenceTest : public EngineTest {
 protected:
  PresenceTest() {
    Restrict("kid", "", "60");
    service.LoggedOnUsers = StringList{"kid"};
    service.CountLockedSessions = false;
  }
  bool Counted(const std::vector<UserSession>& sessions, std::vector<uint32_t> kidSessions) {
    fixture.sessions.sessions = sessions;
    service.LoggedOnSessions = {std::move(kidSessions)};
    LearnSessionPresence(service);
    return MinuteCountsFor(service, "kid");
  }
};

TEST_F(PresenceTest, AMinuteCountsOnlyWhileTheUserUsesTheComputer) {
  const UserSession services = Session(0, "", kGone);
  const UserSession open = Session(1, "kid", kActive), locked = Session(1, "kid", kActive, kLocked);
  const struct {
    const char* what;
    std::vector<UserSession> sessions;
    std::vector<uint32_t> kidSessions;
    bool counted;
  } cases[] = {
      {"active and unlocked", {services, open}, {1}, true},
      {"locked", {services, locked}, {1}, false},
      {"disconnected (switched away from)", {services, Session(1, "kid", kGone)}, {1}, false},
      {"two sessions, one locked", {Session(1, "KID", kActive, kLocked), Session(3, "kid", kActive)}, {1, 3}, true},
      {"two sessions, locked and disconnected", {locked, Session(3, "kid", kGone)}, {1, 3}, false},
      {"locked, with a program in session 0", {services, locked}, {1, 0}, true},
      {"locked, with a program in a session not listed", {locked}, {1, 7}, true},
      {"locked, with a program of an unknown session", {locked}, {1, kUnknownSession}, true},
      {"state not read", {Session(1, "kid", kActive, SessionLock::kUnknown, "WTSQuerySessionInformationW")}, {1}, true},
      {"its own session locked, a program in the parent's open one", {locked, Session(2, "parent", kActive)}, {1, 2}, true},
      {"a program in the parent's locked session only", {Session(2, "parent", kActive, kLocked)}, {2}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Counted(c.sessions, c.kidSessions), c.counted);
  }
}

TEST_F(PresenceTest, SessionsThatCannotBeListedCountEveryMinuteAndSaySo) {
  fixture.sessions.listFailure = "WTSEnumerateSessionsW failed with error 1717";
  EXPECT_TRUE(Counted({}, {1}));
  EXPECT_THAT(Logged(), Contains("ERROR: Sessions not listed, every user with a running program counts as using the "
                                 "computer: WTSEnumerateSessionsW failed with error 1717"));
}

// CountLockedSessions as the registry holds it: absent, 1, any other number and a value of the
// wrong type ("0" as a string) count every minute; only 0 leaves a locked minute uncounted.
TEST_F(PresenceTest, TheSettingTurnsTheRuleOnOnlyWhenItHoldsZero) {
  const std::vector<std::pair<std::optional<RegistryValue>, bool>> cases = {
      {std::nullopt, true}, {IntegerValue(0), false}, {IntegerValue(1), true}, {IntegerValue(2), true},
      {StringValue("0"), true}};
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    const auto& [value, counted] = cases[i];
    registry.CreateKeyForTesting(kProductKey);
    if (value) registry.SetValueForTesting(kProductKey, kCountLockedSessionsValue, *value);
    ASSERT_TRUE(LoadSettings(service));
    service.LoggedOnUsers = StringList{"kid"};
    EXPECT_EQ(Counted({Session(1, "kid", kActive, kLocked)}, {1}), counted);
    registry.DeleteKeyForTesting(kProductKey);
  }
}

// The minute of a locked screen leaves the count as it was, and the log says why.
TEST_F(PresenceTest, ALockedMinuteIsNotCountedAndTheLogSaysWhy) {
  registry.CreateKeyForTesting(User("kid"));
  service.LoggedOnSessions = {{1}};
  fixture.sessions.Add(1, "kid", kActive, kLocked);
  MinuteRefresh(service);
  EXPECT_EQ(*TableEntry(service.SpentTimes, 0), (StringList{"0", "07.12.2026"}));
  EXPECT_THAT(Logged(), Contains("Sessions of kid: active=0 locked=1 disconnected=0 outside=0"));
  EXPECT_THAT(Logged(), Contains("Minute not counted for kid: every session locked or disconnected"));
}

}  // namespace
