#include "engine/session_backstop.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/account_blocking.h"
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

}  // namespace
