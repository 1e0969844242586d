#include "engine/more_time_grant.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/engine_fixture.h"
#include "parentcode/base32.h"
#include "parentcode/code_values.h"
#include "parentcode/one_time_code.h"
#include "settings/registry_values.h"

namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

// alice has used 90 of her 60 minutes and is asked to log off; bob has used 70 of 60. The parent's
// code is set up with the secret of the RFC test vectors; the UTC clock is at 20:05:00, the local
// one at 21:05:00.
class MoreTimeGrantTest : public EngineTest {
 protected:
  MoreTimeGrantTest() {
    Restrict("alice", "", "60", {"90", "07.12.2026"});
    Restrict("bob", "", "60", {"70", "07.12.2026"});
    registry.SetIntegerForTesting(User("alice"), "Logoff", 1);
    registry.CreateKeyForTesting(User("bob"));
    registry.SetStringForTesting(kParentCodeKey, kSecretValue, EncodeBase32(kRfcSecret));
  }

  std::string Code(int64_t stepOffset = 0) const {
    return *CounterCode(fixture.hmac, kRfcSecret, CodeStep(UnixSeconds(fixture.clock.UtcNow())) + stepOffset).code;
  }
  std::string Ask(const std::string& account, const std::string& code, int minutes = 30) {
    return AnswerMoreTimeRequest(service, account, "more-time code=" + code + " minutes=" + std::to_string(minutes));
  }
  std::string Spent(int user) const { return (*TableEntry(service.SpentTimes, user))[0]; }
  // Five wrong codes from alice.
  void LockAliceOut() {
    const std::string wrong = Code() == "000000" ? "111111" : "000000";
    for (int i = 0; i < kWrongCodesBeforeLockOut; ++i) Ask("alice", wrong);
  }
};

TEST_F(MoreTimeGrantTest, ARightCodeLowersTodaysCountWithdrawsTheLogoffAndIsKept) {
  EXPECT_EQ(Ask("ALICE", Code()), "added 30\n") << "the account matches without regard to case";
  EXPECT_EQ(Spent(0), "60");
  EXPECT_EQ(Spent(1), "70");
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "SpentTime"), IntegerValue(60));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "Logoff"), IntegerValue(0));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), kCodeMinutesValue), IntegerValue(30));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), kCodeDateValue), StringValue("07.12.2026"));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), kCodeLastStepValue),
            IntegerValue(static_cast<int32_t>(CodeStep(UnixSeconds(fixture.clock.UtcNow())))));
  EXPECT_THAT(Logged(), Contains("Parent's code accepted for alice: 30 minutes given back, spent_time=60"));

  service.CodeRecords.clear();  // a new run reads the record from the registry
  EXPECT_EQ(Ask("alice", Code()), "wrong\n") << "a code is taken once, across restarts too";
}

// While the clock is behind the count of tomorrow, a code gives back from that count, lowered on
// its date in memory, in SpentTime and in the ledger.
TEST_F(MoreTimeGrantTest, ARightCodeLowersTheCountOfTheDateTheMinutesCountOn) {
  *TableEntry(service.SpentTimes, 0) = StringList{"90", "08.12.2026"};
  service.SpentDays = {ParseLedger({"06.12.2026=5"}).ledger};
  ASSERT_EQ(Ask("alice", Code()), "added 30\n");
  EXPECT_EQ(*TableEntry(service.SpentTimes, 0), (StringList{"60", "08.12.2026"}));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "SpentTime"), IntegerValue(60));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "SpentDays"), MultiStringValue("", "", {"06.12.2026=5", "08.12.2026=60"}));
}

TEST_F(MoreTimeGrantTest, RefusesWithoutLookingAtTheCodeAndChangesNothing) {
  const struct {
    const char* what;
    const char* account;
    std::string request;
    bool timeConfirmed;
    bool secret;
    const char* answer;
  } cases[] = {
      {"another user's name in it", "alice", "more-time code=" + Code() + " minutes=30 user=bob", true, true,
       "refused\n"},
      {"a request over 256 bytes", "alice", "more-time code=" + Code() + " minutes=30" + std::string(300, ' '), true,
       true, "refused\n"},
      {"from a user who is not restricted", "carol", "more-time code=" + Code() + " minutes=30", true, true,
       "not-restricted\n"},
      {"while the time is not confirmed", "alice", "more-time code=" + Code() + " minutes=30", false, true,
       "unconfirmed\n"},
      {"with no parent's code set up", "alice", "more-time code=" + Code() + " minutes=30", true, false, "no-code\n"},
  };
  for (const auto& c : cases) {
    service.TimeSynced = c.timeConfirmed;
    if (!c.secret) registry.DeleteKeyForTesting(kParentCodeKey);
    EXPECT_EQ(AnswerMoreTimeRequest(service, c.account, c.request), c.answer) << c.what;
    EXPECT_EQ(Spent(0), "90") << c.what;
    EXPECT_EQ(Spent(1), "70") << c.what;
    EXPECT_TRUE(service.CodeRecords.empty()) << c.what;
    EXPECT_EQ(registry.ValueForTesting(User("alice"), "Logoff"), IntegerValue(1)) << c.what;
  }
}

TEST_F(MoreTimeGrantTest, FiveWrongCodesLockTheUserOutAcrossRestartsAndOnlyThatUser) {
  LockAliceOut();
  EXPECT_THAT(Logged(), Contains("Parent's code locked out for alice until 21:20 after 5 wrong codes"));
  EXPECT_THAT(Logged(), Contains("Wrong parent's code from alice (4 in a row)"));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), kCodeLockedUntilValue),
            StringValue(std::to_string(UnixSeconds(fixture.clock.UtcNow()) + 900)));
  service.CodeRecords.clear();
  EXPECT_EQ(Ask("alice", Code()), "locked 21:20\n");
  EXPECT_EQ(Spent(0), "90");
  EXPECT_EQ(Ask("bob", Code()), "added 30\n") << "the lock-out is alice's alone";

  fixture.clock.AdvanceSeconds(900);
  EXPECT_EQ(Ask("alice", Code()), "added 30\n");
  EXPECT_THAT(Logged(), Contains("The parent's code lock-out of alice has ended"));
}

TEST_F(MoreTimeGrantTest, TheDaysMaximumByCodeHoldsOverSeveralCodes) {
  registry.SetIntegerForTesting(User("alice"), kCodeMaxMinutesValue, 45);
  EXPECT_EQ(Ask("alice", Code(-1)), "added 30\n");
  EXPECT_EQ(Ask("alice", Code(0)), "added 15\n");
  EXPECT_EQ(Ask("alice", Code(1)), "maximum 45\n");
  EXPECT_EQ(Spent(0), "45");
}

TEST_F(MoreTimeGrantTest, AMaximumOfTheWrongTypeIsSaidAndTakenAsTheDefault) {
  registry.SetStringForTesting(User("alice"), kCodeMaxMinutesValue, "90");
  EXPECT_EQ(Ask("alice", Code(), 60), "added 60\n");
  EXPECT_THAT(Logged(), Contains(HasSubstr("CodeMaxMinutes")));
  EXPECT_EQ(Ask("alice", Code(1), 15), "maximum 60\n");
}

}  // namespace
