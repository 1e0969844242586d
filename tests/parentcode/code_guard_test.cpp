#include "parentcode/code_guard.h"

#include <gtest/gtest.h>

#include "fakes/platform_hmac.h"
#include "parentcode/code_values.h"
#include "parentcode/one_time_code.h"

namespace {

constexpr int64_t kNow = 1'796'673'915;
constexpr char kToday[] = "07.12.2026";

// One user's attempts in turn, the record carried from one to the next as the service keeps it.
class CodeGuardTest : public ::testing::Test {
 protected:
  std::string CodeAt(int64_t utcSeconds) const { return *CounterCode(hmac, kRfcSecret, CodeStep(utcSeconds)).code; }
  std::string WrongCodeAt(int64_t utcSeconds) const {
    std::string code = CodeAt(utcSeconds);
    code[0] = code[0] == '9' ? '0' : static_cast<char>(code[0] + 1);
    return code;
  }
  CodeDecision Try(const std::string& code, int minutes = 30, int64_t at = kNow, int spent = 90, int max = 60) {
    CodeAttempt attempt{code, minutes, at, kToday, max, spent};
    const CodeDecision decision = JudgeCode(hmac, kRfcSecret, record, attempt);
    record = decision.record;
    return decision;
  }

  PlatformHmacSha1 hmac;
  CodeRecord record;
};

TEST_F(CodeGuardTest, ARightCodeGivesTheMinutesOnceAndItsStepIsTakenOnlyOnce) {
  const CodeDecision first = Try(CodeAt(kNow));
  EXPECT_EQ(first.kind, AnswerKind::kAdded);
  EXPECT_EQ(first.minutesGiven, 30);
  EXPECT_EQ(record, (CodeRecord{0, 0, CodeStep(kNow), 30, kToday}));
  EXPECT_EQ(Try(CodeAt(kNow)).kind, AnswerKind::kWrongCode) << "the same code again";
  EXPECT_EQ(Try(CodeAt(kNow - 30), 30, kNow + 5).kind, AnswerKind::kWrongCode) << "the step before, still in the window";
  EXPECT_EQ(Try(CodeAt(kNow + 30), 15, kNow + 5).kind, AnswerKind::kAdded) << "the next step is a new code";
}

TEST_F(CodeGuardTest, GivesNoMoreThanAskedLeftTodayOrSpentToday) {
  const struct {
    int asked, spent, max, givenBefore;
    const char* givenOn;
    int given;
  } cases[] = {
      {30, 90, 60, 0, kToday, 30},  {60, 90, 45, 0, kToday, 45},      {60, 20, 60, 0, kToday, 20},
      {30, 90, 60, 40, kToday, 20}, {30, 90, 60, 60, "06.12.2026", 30}, {30, 0, 60, 0, kToday, 0},
  };
  int64_t at = kNow;
  for (const auto& c : cases) {
    record = CodeRecord{0, 0, 0, c.givenBefore, c.givenOn};
    const CodeDecision decision = Try(CodeAt(at), c.asked, at, c.spent, c.max);
    EXPECT_EQ(decision.kind, AnswerKind::kAdded);
    EXPECT_EQ(decision.minutesGiven, c.given) << c.asked << " asked, " << c.spent << " spent, " << c.givenBefore
                                              << " given on " << c.givenOn;
    EXPECT_EQ(record.minutesGiven, (std::string(c.givenOn) == kToday ? c.givenBefore : 0) + c.given);
    at += 30;
  }
}

TEST_F(CodeGuardTest, TheDaysMaximumGivenTheCodeIsNotLookedAt) {
  record = CodeRecord{2, 0, 0, 60, kToday};
  const CodeDecision decision = Try(WrongCodeAt(kNow));
  EXPECT_EQ(decision.kind, AnswerKind::kDailyMaximum);
  EXPECT_EQ(record.wrongCodes, 2) << "a code not looked at is not counted";
  EXPECT_EQ(Try(CodeAt(kNow), 30, kNow, 90, 0).kind, AnswerKind::kNoParentCode) << "a maximum of 0: no code";
}

TEST_F(CodeGuardTest, FiveWrongCodesLockTheCodeOutForAQuarterHourThenItCountsAfresh) {
  for (int wrong = 1; wrong < kWrongCodesBeforeLockOut; ++wrong) {
    EXPECT_EQ(Try(WrongCodeAt(kNow)).kind, AnswerKind::kWrongCode);
    EXPECT_EQ(record.wrongCodes, wrong);
  }
  const CodeDecision fifth = Try(WrongCodeAt(kNow));
  EXPECT_EQ(fifth.kind, AnswerKind::kLockedOut);
  EXPECT_TRUE(fifth.lockStarted);
  EXPECT_EQ(fifth.lockedUntil, kNow + 900);

  const int64_t lastLocked = kNow + 899;
  const CodeDecision whileLocked = Try(CodeAt(lastLocked), 30, lastLocked);
  EXPECT_EQ(whileLocked.kind, AnswerKind::kLockedOut) << "even the right code";
  EXPECT_FALSE(whileLocked.lockStarted);
  EXPECT_EQ(record.lastStep, 0) << "and it is not taken";

  const CodeDecision after = Try(WrongCodeAt(kNow + 900), 30, kNow + 900);
  EXPECT_TRUE(after.lockEnded);
  EXPECT_EQ(after.kind, AnswerKind::kWrongCode);
  EXPECT_EQ(record.wrongCodes, 1);
  EXPECT_EQ(record.lockedUntil, 0);
  EXPECT_EQ(Try(CodeAt(kNow + 930), 30, kNow + 930).kind, AnswerKind::kAdded);
  EXPECT_EQ(record.wrongCodes, 0) << "a right code ends the run of wrong ones";
}

TEST(MinuteChoicesTest, OffersWhatFitsInWhatIsLeft) {
  EXPECT_EQ(MinuteChoices(60), (std::vector<int>{15, 30, 60}));
  EXPECT_EQ(MinuteChoices(45), (std::vector<int>{15, 30}));
  EXPECT_EQ(MinuteChoices(10), (std::vector<int>{10}));
  EXPECT_EQ(MinuteChoices(0), (std::vector<int>{}));
  EXPECT_EQ(CodeMinutesLeft(CodeRecord{0, 0, 0, 40, kToday}, 60, kToday), 20);
  EXPECT_EQ(CodeMinutesLeft(CodeRecord{0, 0, 0, 40, "06.12.2026"}, 60, kToday), 60);
}

}  // namespace
