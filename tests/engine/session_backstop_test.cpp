#include "engine/session_backstop.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/account_blocking.h"
#include "engine/restriction_evaluation.h"
#include "engine/session_presence.h"
#include "fakes/engine_fixture.h"
#include "settings/registry_values.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// alice (session 3, spelled Alice there) and carol (session 5) are restricted; bob's session 4
// must never be touched. Each minute: the evaluation of the minute before raised a request or
// not, and the census found the user logged on or not.
class BackstopTest : public EngineTest {
 protected:
  BackstopTest() {
    Restrict("alice", "", "60");
    Restrict("carol", "", "60");
    for (const auto& [id, user] : {std::pair{0, ""}, {3, "Alice"}, {4, "bob"}, {5, "carol"}}) fixture.sessions.Add(id, user);
  }

  struct Minute {
    bool requested, loggedOn;
  };
  // One follow-up: the request as the evaluation left it, the user's processes as the census saw.
  void FollowUp(const std::map<std::string, Minute>& users) {
    service.LoggedOnUsers.Clear();
    service.LoggedOnUsers.Add("bob");
    for (const auto& [name, minute] : users) {
      registry.SetIntegerForTesting(User(name), "Logoff", minute.requested ? 1 : 0);
      if (minute.loggedOn) service.LoggedOnUsers.Add(name);
    }
    CheckLogoffFlags(service);
  }

  std::vector<uint32_t>& Ended() { return fixture.sessions.loggedOff; }
  // The lines written so far: the privilege step flushes the buffer to the file.
  Lines All() const {
    Lines all = fixture.DebugMessages();
    for (const std::string& line : Logged()) all.push_back(line);
    return all;
  }
};

TEST_F(BackstopTest, OnlyTheSecondMinuteInARowStillLoggedOnEndsTheSessions) {
  const Minute stays{true, true}, gone{true, false}, free{false, true};
  const struct {
    const char* name;
    std::vector<Minute> minutes;
    std::vector<size_t> endedAfter;  // the logoffs asked for so far, after each minute
  } cases[] = {
      {"stays logged on: ended at the second minute and asked again at every later one",
       {stays, stays, stays}, {0, 1, 2}},
      {"leaves between the two: the count starts again", {stays, gone, stays, stays}, {0, 0, 0, 1}},
      {"free again in between: the count starts again", {stays, free, stays, stays}, {0, 0, 0, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Ended().clear();
    service.StillLoggedMinutes.clear();
    for (size_t i = 0; i < c.minutes.size(); ++i) {
      FollowUp({{"alice", c.minutes[i]}});
      EXPECT_EQ(Ended().size(), c.endedAfter[i]) << "after minute " << i + 1;
    }
    for (const uint32_t id : Ended()) EXPECT_EQ(id, 3u);  // never bob's, whose name differs
  }
}

TEST_F(BackstopTest, TwoUsersWhoStayAreBothEndedAndTheLinesOfTheFollowUpStay) {
  FollowUp({{"alice", {true, true}}, {"carol", {true, true}}});
  FollowUp({{"alice", {true, true}}, {"carol", {true, true}}});
  EXPECT_THAT(Ended(), ElementsAre(3u, 5u));
  const Lines logged = All();
  EXPECT_THAT(logged, Contains("User alice still logged !"));
  EXPECT_THAT(logged, Contains("Ending session 3 of PC\\Alice: still logged on against the logoff request"));
  EXPECT_THAT(logged, Contains("Ending session 5 of PC\\carol: still logged on against the logoff request"));
  EXPECT_THAT(logged, Contains("Shutting down computer"));  // the privilege step as before
}

// A session that names its user otherwise (a display name) is still the user's by the account's
// identifier; another account's session of a like name is not.
TEST_F(BackstopTest, ASessionIsTheUsersByTheAccountsIdentifier) {
  accounts.sids["alice"] = "S-1-5-21-7-1001";
  fixture.sessions.Add(6, "Alice Smith");
  fixture.sessions.sessions.back().sid = "S-1-5-21-7-1001";
  fixture.sessions.Add(7, "alice2");
  fixture.sessions.sessions.back().sid = "S-1-5-21-7-1002";
  FollowUp({{"alice", {true, true}}});
  FollowUp({{"alice", {true, true}}});
  EXPECT_THAT(Ended(), ElementsAre(3u, 6u));
}

TEST_F(BackstopTest, WithServiceLogoffOffTheRequestsAreOnlyFollowedUp) {
  service.ServiceLogoff = false;
  for (int minute = 0; minute < 3; ++minute) FollowUp({{"alice", {true, true}}});
  EXPECT_THAT(Ended(), IsEmpty());
  EXPECT_THAT(All(), Contains("User alice still logged !"));
}

TEST_F(BackstopTest, AFailedLogoffIsReportedAndAskedForAgainTheNextMinute) {
  fixture.sessions.failures[3] = "WTSLogoffSession failed with error 5";
  FollowUp({{"alice", {true, true}}});
  FollowUp({{"alice", {true, true}}});
  EXPECT_THAT(All(), Contains("ERROR: Not possible to end session 3 of PC\\Alice: WTSLogoffSession failed with error 5"));
  fixture.sessions.failures.clear();
  FollowUp({{"alice", {true, true}}});
  EXPECT_THAT(Ended(), ElementsAre(3u, 3u));
}

TEST_F(BackstopTest, SessionsThatCannotBeListedOrFoundAreSaid) {
  FollowUp({{"alice", {true, true}}});
  fixture.sessions.listFailure = "WTSEnumerateSessionsW failed with error 1";
  FollowUp({{"alice", {true, true}}});
  EXPECT_THAT(All(), Contains(HasSubstr("ERROR: Not possible to list the sessions to end those of alice")));
  fixture.sessions.listFailure.reset();
  fixture.sessions.sessions.clear();
  fixture.sessions.Add(4, "bob");
  FollowUp({{"alice", {true, true}}});
  EXPECT_THAT(All(), Contains("No session of alice to end: the user's programs run outside a session"));
  EXPECT_THAT(Ended(), IsEmpty());
}

TEST_F(BackstopTest, TheCountsOfUsersNoLongerRestrictedAreForgotten) {
  FollowUp({{"alice", {true, true}}});
  service.RestrictedUsers = StringList{"carol"};
  FollowUp({});
  EXPECT_EQ(service.StillLoggedMinutes.count("alice"), 0u);
}

// kid is held back all evening (allowance 0, 5 minutes spent) with programs in sessions 1 and 3
// (and 0, the services' session, where given); each minute runs as the cycle runs it: the
// sessions learnt, the requests followed up, the users judged.
class EndSessionTest : public EngineTest {
 protected:
  EndSessionTest() {
    Restrict("kid", "", "0", {"5", "07.12.2026"});
    service.LoggedOnUsers = StringList{"kid"};
    service.CountLockedSessions = false;
  }
  // One minute with kid's sessions as given: the ids of the sessions kid's programs run in, and
  // each listed session's state. Returns whether the request stands after it.
  bool Minute(const std::vector<UserSession>& sessions, std::vector<uint32_t> programsIn = {1, 3}) {
    fixture.sessions.sessions = sessions;
    service.LoggedOnSessions = {std::move(programsIn)};
    LearnSessionPresence(service);
    CheckLogoffFlags(service);
    EvaluateRestrictions(service);
    return registry.ValueForTesting(User("kid"), "Logoff") == IntegerValue(1);
  }
  static UserSession Kid(uint32_t id, SessionLock lock, SessionConnection connection = SessionConnection::kActive) {
    return {id, "kid", "PC", connection, lock, {}};
  }
};

TEST_F(EndSessionTest, LockDisconnectsActiveSessionsAndLeavesLockedOnesAlone) {
  constexpr auto kOpen = SessionLock::kUnlocked, kShut = SessionLock::kLocked;
  const UserSession gone = Kid(1, kShut, SessionConnection::kDisconnected);
  const struct {
    const char* what;
    bool lock;
    std::vector<UserSession> sessions;
    std::vector<uint32_t> programsIn;
    bool requested;
    std::vector<uint32_t> loggedOff, disconnected;  // after three minutes
  } cases[] = {
      {"logoff, active", false, {Kid(1, kOpen)}, {1}, true, {1}, {}},
      {"logoff, locked: logged off all the same", false, {Kid(1, kShut)}, {1}, true, {1}, {}},
      {"lock, active: disconnected at the third minute, and not asked then", true, {Kid(1, kOpen)}, {1}, false, {}, {1}},
      {"lock, locked: done", true, {Kid(1, kShut)}, {1}, false, {}, {}},
      {"lock, disconnected: done", true, {gone}, {1}, false, {}, {}},
      {"lock, one of two unlocked again: both active ones disconnected", true, {Kid(1, kShut), Kid(3, kOpen)},
       {1, 3}, false, {}, {1, 3}},
      {"lock, the other one disconnected: left as it is", true, {Kid(1, kOpen), Kid(3, kShut, SessionConnection::kDisconnected)},
       {1, 3}, false, {}, {1}},
      {"lock, locked with a program in session 0: still in use", true, {Kid(1, kShut)}, {1, 0}, true, {}, {1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    service.EndSessionLock = c.lock;
    fixture.sessions.loggedOff.clear();
    fixture.sessions.disconnected.clear();
    service.StillLoggedMinutes.clear();
    registry.DeleteKeyForTesting(User("kid"));
    bool requested = false;
    for (int minute = 0; minute < 3; ++minute) requested = Minute(c.sessions, c.programsIn);
    EXPECT_EQ(requested, c.requested);
    EXPECT_EQ(fixture.sessions.loggedOff, c.loggedOff);
    EXPECT_EQ(fixture.sessions.disconnected, c.disconnected);
  }
  registry.DeleteKeyForTesting(User("kid"));
}

// A session unlocked again while kid is held back is asked again and, two minutes later,
// disconnected again; locked or disconnected meanwhile, it is left alone and nothing is asked.
TEST_F(EndSessionTest, ASessionUnlockedAgainIsDisconnectedAgainTwoMinutesLater) {
  service.EndSessionLock = true;
  const UserSession open = Kid(1, SessionLock::kUnlocked), locked = Kid(1, SessionLock::kLocked),
                    gone = Kid(1, SessionLock::kLocked, SessionConnection::kDisconnected);
  const struct {
    UserSession session;
    bool requested;
    size_t disconnections;
  } minutes[] = {{open, true, 0},   {open, true, 0},   {open, false, 1}, {gone, false, 1}, {locked, false, 1},
                 {open, true, 1},   {open, true, 1},   {open, false, 2}, {locked, false, 2}};
  for (size_t i = 0; i < std::size(minutes); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Minute({minutes[i].session}, {1}), minutes[i].requested);
    EXPECT_EQ(fixture.sessions.disconnected.size(), minutes[i].disconnections);
  }
  EXPECT_THAT(fixture.sessions.loggedOff, IsEmpty());
  Lines logged = fixture.DebugMessages();  // the privilege step flushed the first lines
  for (const std::string& line : Logged()) logged.push_back(line);
  EXPECT_THAT(logged, Contains("Disconnecting session 1 of PC\\kid: still in use against the logoff request; "
                               "its programs stay open"));
  EXPECT_THAT(Logged(), Contains("No logoff request for kid: every session locked or disconnected"));
  registry.DeleteKeyForTesting(User("kid"));
}

// EndSession as the registry holds it: only "lock", in any case, keeps the sessions; an unknown
// word logs off, as without the value, and says so.
TEST_F(EndSessionTest, OnlyLockKeepsTheSessions) {
  const std::vector<std::pair<std::optional<RegistryValue>, bool>> cases = {
      {std::nullopt, false}, {StringValue("lock"), true}, {StringValue("LOCK"), true},
      {StringValue("logoff"), false}, {StringValue("lokc"), false}, {IntegerValue(1), false}};
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    registry.CreateKeyForTesting(kProductKey);
    if (cases[i].first) registry.SetValueForTesting(kProductKey, kEndSessionValue, *cases[i].first);
    ASSERT_TRUE(LoadSettings(service));
    EXPECT_EQ(service.EndSessionLock, cases[i].second);
    registry.DeleteKeyForTesting(kProductKey);
  }
  EXPECT_THAT(Logged(), Contains("ERROR: EndSession \"lokc\" is neither lock nor logoff; sessions are logged off"));
}

}  // namespace
