#include "engine/pipe_requests.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/version.h"
#include "engine/restriction_evaluation.h"
#include "engine/save_grace.h"
#include "fakes/engine_fixture.h"
#include "parentcode/base32.h"
#include "parentcode/code_values.h"
#include "parentcode/more_time_protocol.h"
#include "parentcode/one_time_code.h"
#include "settings/registry_values.h"

namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

// alice has used 90 of her 60 minutes and is asked to log off; bob has used 70 of 60. The parent's
// code is set up with the secret of the RFC test vectors; the UTC clock is at 20:05:00, the local
// one at 21:05:00.
class PipeRequestsTest : public EngineTest {
 protected:
  PipeRequestsTest() {
    Restrict("alice", "", "60", {"90", "07.12.2026"});
    Restrict("bob", "", "60", {"70", "07.12.2026"});
    registry.SetIntegerForTesting(User("alice"), "Logoff", 1);
    registry.CreateKeyForTesting(User("bob"));
    registry.SetStringForTesting(kParentCodeKey, kSecretValue, EncodeBase32(kRfcSecret));
  }

  std::string Code(int64_t stepOffset = 0) const {
    return *CounterCode(fixture.hmac, kRfcSecret, Step() + stepOffset).code;
  }
  int64_t Step() const { return CodeStep(UnixSeconds(fixture.clock.UtcNow())); }
  std::string Send(const std::string& account, const std::string& text) {
    return AnswerClient(service, {ClientRequest::Outcome::kRequest, account, {}, text, {}});
  }
  std::string Ask(const std::string& account, const std::string& code) { return Send(account, "more-time code=" + code); }
  std::string Spent(int user) const { return (*TableEntry(service.SpentTimes, user))[0]; }
  // Five wrong codes from alice.
  void LockAliceOut() {
    const std::string wrong = Code() == "000000" ? "111111" : "000000";
    for (int i = 0; i < kWrongCodesBeforeLockOut; ++i) Ask("alice", wrong);
  }
};

TEST_F(PipeRequestsTest, ARightCodeLowersTodaysCountWithdrawsTheLogoffAndIsKept) {
  EXPECT_EQ(Ask("ALICE", Code()), "added 30\n") << "the account matches without regard to case";
  EXPECT_EQ(Spent(0), "60");
  EXPECT_EQ(Spent(1), "70");
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "SpentTime"), IntegerValue(60));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "Logoff"), IntegerValue(0));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), kCodeGivenValue), IntegerValue(30));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), kCodeDateValue), StringValue("07.12.2026"));
  EXPECT_EQ(registry.ValueForTesting(kParentCodeKey, kLastStepValue), IntegerValue(static_cast<int32_t>(Step())));
  EXPECT_THAT(Logged(), Contains("Parent's code accepted for alice: 30 minutes given back, spent_time=60"));

  service.CodeRecords.clear();  // a new run reads the record from the registry
  EXPECT_EQ(Ask("alice", Code()), "wrong\n") << "a code is taken once, across restarts too";
}

// While the clock is behind the count of tomorrow, a code gives back from that count, lowered on
// its date in memory, in SpentTime and in the ledger.
TEST_F(PipeRequestsTest, ARightCodeLowersTheCountOfTheDateTheMinutesCountOn) {
  *TableEntry(service.SpentTimes, 0) = StringList{"90", "08.12.2026"};
  service.SpentDays = {ParseLedger({"06.12.2026=5"}).ledger};
  ASSERT_EQ(Ask("alice", Code()), "added 30\n");
  EXPECT_EQ(*TableEntry(service.SpentTimes, 0), (StringList{"60", "08.12.2026"}));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "SpentTime"), IntegerValue(60));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "SpentDays"), MultiStringValue("", "", {"06.12.2026=5", "08.12.2026=60"}));
}

TEST_F(PipeRequestsTest, ACodeIsTakenOnceOnThePcWhicheverAccountSendsIt) {
  const std::string code = Code();
  registry.RefuseWritesForTesting(kParentCodeKey);
  EXPECT_EQ(Ask("alice", code), "unavailable\n") << "a code whose step cannot be kept is not taken";
  EXPECT_EQ(Spent(0), "90");
  registry.RefuseWritesForTesting(kParentCodeKey, false);
  EXPECT_EQ(Ask("alice", code), "added 30\n");
  EXPECT_EQ(Ask("bob", code), "wrong\n") << "read out to a sibling, it does not work again";
  EXPECT_EQ(Ask("bob", Code(-1)), "wrong\n") << "nor does the code of an earlier step";
  EXPECT_EQ(Send("bob", "more-time code=" + code + " tries"), "wrong tries=2\n") << "told the tries left when asked";
  EXPECT_EQ(Spent(1), "70");
  EXPECT_EQ(Ask("bob", Code(1)), "added 30\n") << "the next step is a new code";
}

TEST_F(PipeRequestsTest, TheMinutesOfACodeAreTheUsersOrElseThePcsAndTheDayBoundsThem) {
  registry.SetIntegerForTesting(kProductKey, kCodeMinutesValue, 15);
  EXPECT_EQ(Ask("alice", Code(-1)), "added 15\n");
  registry.SetIntegerForTesting(User("alice"), kCodeMinutesValue, 40);
  EXPECT_EQ(Ask("alice", Code()), "added 40\n") << "the user's setting comes first";
  EXPECT_EQ(Ask("alice", Code(1)), "added 5\n") << "5 of the day's 60 are left";
}

TEST_F(PipeRequestsTest, RefusesWithoutLookingAtTheCodeAndChangesNothing) {
  const struct {
    const char* what;
    ClientRequest request;
    bool timeConfirmed;
    bool secret;
    const char* answer;
  } cases[] = {
      {"another user's name in it", {ClientRequest::Outcome::kRequest, "alice", {}, "more-time code=1 user=bob", {}}, true,
       true, "refused\n"},
      {"a request over 256 bytes", {ClientRequest::Outcome::kOversized, {}, {}, {}, {}}, true, true, "refused\n"},
      {"a client that said nothing", {ClientRequest::Outcome::kSilent, {}, {}, {}, {}}, true, true, ""},
      {"an account not learnt", {ClientRequest::Outcome::kRequest, {}, "OpenThreadToken failed", "status", {}}, true, true,
       "refused\n"},
      {"from a user who is not restricted", {ClientRequest::Outcome::kRequest, "carol", {}, "more-time code=123456", {}},
       true, true, "not-restricted\n"},
      {"while the time is not confirmed", {ClientRequest::Outcome::kRequest, "alice", {}, "more-time code=123456", {}},
       false, true, "unconfirmed\n"},
      {"with no parent's code set up", {ClientRequest::Outcome::kRequest, "alice", {}, "more-time code=123456", {}}, true,
       false, "no-code\n"},
  };
  for (const auto& c : cases) {
    service.TimeSynced = c.timeConfirmed;
    if (!c.secret) registry.DeleteKeyForTesting(kParentCodeKey);
    EXPECT_EQ(AnswerClient(service, c.request), c.answer) << c.what;
    EXPECT_EQ(Spent(0), "90") << c.what;
    EXPECT_TRUE(service.CodeRecords.empty()) << c.what;
    EXPECT_EQ(registry.ValueForTesting(User("alice"), "Logoff"), IntegerValue(1)) << c.what;
  }
  EXPECT_THAT(Logged(), Contains("ERROR: A request of more than 256 bytes to \\\\.\\pipe\\Hourwarden was refused"));
  EXPECT_THAT(Logged(), Contains("ERROR: OpenThreadToken failed: a request to \\\\.\\pipe\\Hourwarden was refused"));
}

TEST_F(PipeRequestsTest, FiveWrongCodesLockTheUserOutAcrossRestartsAndOnlyThatUser) {
  LockAliceOut();
  EXPECT_THAT(Logged(), Contains("Parent's code locked out for alice until 21:20 after 5 wrong codes"));
  EXPECT_THAT(Logged(), Contains("Wrong parent's code from alice (4 in a row)"));
  service.CodeRecords.clear();
  EXPECT_EQ(Ask("alice", Code()), "locked 21:20\n");
  EXPECT_EQ(Send("alice", kStatusRequest), "status version=" + std::string(kHourwardenVersion) +
                                               " time=confirmed code=off minutes=0 grace=5\n");
  EXPECT_EQ(Ask("bob", Code()), "added 30\n") << "the lock-out is alice's alone";

  fixture.clock.AdvanceSeconds(900);
  EXPECT_EQ(Ask("alice", Code()), "added 30\n");
  EXPECT_THAT(Logged(), Contains("The parent's code lock-out of alice has ended"));
}

TEST_F(PipeRequestsTest, StatusSaysWhatACodeGivesTheAskingUserNow) {
  registry.SetIntegerForTesting(User("alice"), kCodeMaxMinutesValue, 45);
  const std::string confirmed = "status version=" + std::string(kHourwardenVersion) + " time=confirmed ";
  EXPECT_EQ(Send("alice", "status"), confirmed + "code=on minutes=30 grace=5\n");
  EXPECT_EQ(Ask("alice", Code()), "added 30\n");
  EXPECT_EQ(Send("alice", "status\r\n"), confirmed + "code=on minutes=15 grace=5\n") << "15 of the day's 45 are left";
  EXPECT_EQ(Send("carol", "status"), confirmed + "code=off minutes=0 grace=0\n");
  service.TimeSynced = false;
  registry.DeleteKeyForTesting(kParentCodeKey);
  EXPECT_EQ(Send("alice", "status"),
            "status version=" + std::string(kHourwardenVersion) + " time=unconfirmed code=off minutes=0 grace=0\n");
}

TEST_F(PipeRequestsTest, TheAskingUserIsKnownByTheAccountsIdentifier) {
  accounts.sids["alice"] = "S-1-5-21-7-1001";
  const auto status = [&](const std::string& account, const std::string& sid) {
    return AnswerClient(service, {ClientRequest::Outcome::kRequest, account, {}, "status", sid});
  };
  EXPECT_THAT(status("Alice Smith", "S-1-5-21-7-1001"), HasSubstr("code=on minutes=30"));
  EXPECT_THAT(status("Alice Smith", "S-1-5-21-7-1002"), HasSubstr("code=off minutes=0"));
}

TEST_F(PipeRequestsTest, TheEarlierVersionsRecordIsReadAndMovedOutOfTheWay) {
  registry.SetIntegerForTesting(User("alice"), kEarlierLastStepValue, 100);
  registry.SetIntegerForTesting(User("alice"), kCodeMinutesValue, 20);  // then: the minutes given on CodeDate
  registry.SetStringForTesting(User("alice"), kCodeDateValue, "07.12.2026");
  registry.SetIntegerForTesting(kProductKey, kCodeMinutesValue, 35);
  EXPECT_EQ(Ask("alice", Code()), "added 35\n") << "the product key's minutes, not the old count";
  EXPECT_EQ(Ask("alice", Code(1)), "added 5\n") << "20 and 35 of the day's 60 were given";
  EXPECT_EQ(registry.ValueForTesting(User("alice"), kCodeGivenValue), IntegerValue(60));
  EXPECT_FALSE(registry.ValueForTesting(User("alice"), kCodeMinutesValue));
  EXPECT_FALSE(registry.ValueForTesting(User("alice"), kEarlierLastStepValue));
}

// The grace to save the work: given once a day (its date stored first), it withdraws alice's
// request and holds back a new one for its minutes; the next day it is offered again.
TEST_F(PipeRequestsTest, TheGraceIsGivenOnceADayAndHoldsTheRequestBackForItsMinutes) {
  EXPECT_EQ(GraceOffered(5, "", "07.12.2026"), 5);
  EXPECT_EQ(GraceOffered(5, "07.12.2026", "07.12.2026"), 0);
  EXPECT_EQ(GraceOffered(5, "06.12.2026", "07.12.2026"), 5);
  EXPECT_EQ(GraceOffered(0, "", "07.12.2026"), 0);
  EXPECT_EQ(GraceOffered(500, "", "07.12.2026"), kMaxGraceMinutes);

  service.LoggedOnUsers = StringList{"alice"};
  EXPECT_EQ(Send("alice", "grace\n"), "grace 5\n");
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "GraceDate"), StringValue("07.12.2026"));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "Logoff"), IntegerValue(0));
  EXPECT_EQ(Send("alice", "grace"), "grace-used\n");
  EXPECT_THAT(Send("alice", "status"), HasSubstr(" grace=0\n"));
  for (int minute = 0; minute < 5; ++minute) {
    EvaluateRestrictions(service);
    EXPECT_EQ(registry.ValueForTesting(User("alice"), "Logoff"), IntegerValue(0)) << minute;
    fixture.clock.AdvanceSeconds(60);
  }
  EvaluateRestrictions(service);
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "Logoff"), IntegerValue(1));
  EXPECT_THAT(Logged(), Contains(HasSubstr("Grace to save the work asked by alice: 5 minutes given, once for 07.12.2026")));

  SetCycle({2026, 12, 8, 21, 5, 0, 0});
  EXPECT_THAT(Send("alice", "status"), HasSubstr(" grace=5\n"));
  EXPECT_EQ(Send("carol", "grace"), "not-restricted\n");
  service.TimeSynced = false;
  EXPECT_EQ(Send("alice", "grace"), "unconfirmed\n");
}

}  // namespace
