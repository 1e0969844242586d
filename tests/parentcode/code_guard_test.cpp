#include "parentcode/code_guard.h"

#include <gtest/gtest.h>

#include "fakes/platform_hmac.h"
#include "parentcode/code_values.h"
#include "parentcode/one_time_code.h"

namespace {

constexpr int64_t kNow = 1'796'673'915;
constexpr char kToday[] = "07.12.2026";

// One user's attempts in turn, the user's record and the computer's last step carried from one to
// the next as the service keeps them.
class CodeGuardTest : public ::testing::Test {
 protected:
  std::string CodeAt(int64_t utcSeconds) const { return *CounterCode(hmac, kRfcSecret, CodeStep(utcSeconds)).code; }
  std::string WrongCodeAt(int64_t utcSeconds) const {
    std::string code = CodeAt(utcSeconds);
    code[0] = code[0] == '9' ? '0' : static_cast<char>(code[0] + 1);
    return code;
  }
  CodeDecision Try(const std::string& code, int minutes = 30, int64_t at = kNow, int spent = 90, int max = 60) {
    CodeAttempt attempt{code, at, kToday, max, minutes, spent, lastStep};
    const CodeDecision decision = JudgeCode(hmac, kRfcSecret, record, attempt);
    record = decision.record;
    if (decision.kind == AnswerKind::kAdded) lastStep = decision.acceptedStep;
    return decision;
  }

  PlatformHmacSha1 hmac;
  CodeRecord record;
  int64_t lastStep = 0;
};

TEST_F(CodeGuardTest, ARightCodeGivesTheMinutesOnceAndItsStepIsTakenOnlyOnce) {
  const CodeDecision first = Try(CodeAt(kNow));
  EXPECT_EQ(first.kind, AnswerKind::kAdded);
  EXPECT_EQ(first.minutesGiven, 30);
  EXPECT_EQ(first.acceptedStep, CodeStep(kNow));
  EXPECT_EQ(record, (CodeRecord{0, 0, 30, kToday}));
  EXPECT_EQ(Try(CodeAt(kNow)).kind, AnswerKind::kWrongCode) << "the same code again";
  EXPECT_EQ(Try(CodeAt(kNow - 30), 30, kNow + 5).kind, AnswerKind::kWrongCode) << "the step before, still in the window";
  EXPECT_EQ(Try(CodeAt(kNow + 30), 15, kNow + 5).kind, AnswerKind::kAdded) << "the next step is a new code";
}

TEST_F(CodeGuardTest, GivesTheCodesMinutesAsFarAsLeftTodayAndSpentToday) {
  const struct {
    int codeMinutes, spent, max, givenBefore;
    const char* givenOn;
    int given;
  } cases[] = {
      {30, 90, 60, 0, kToday, 30},  {60, 90, 45, 0, kToday, 45},      {60, 20, 60, 0, kToday, 20},
      {30, 90, 60, 40, kToday, 20}, {30, 90, 60, 60, "06.12.2026", 30}, {30, 0, 60, 0, kToday, 0},
  };
  int64_t at = kNow;
  for (const auto& c : cases) {
    record = CodeRecord{0, 0, c.givenBefore, c.givenOn};
    const CodeDecision decision = Try(CodeAt(at), c.codeMinutes, at, c.spent, c.max);
    EXPECT_EQ(decision.kind, AnswerKind::kAdded);
    EXPECT_EQ(decision.minutesGiven, c.given) << c.codeMinutes << " a code, " << c.spent << " spent, " << c.givenBefore
                                              << " given on " << c.givenOn;
    EXPECT_EQ(record.minutesGiven, (std::string(c.givenOn) == kToday ? c.givenBefore : 0) + c.given);
    at += 30;
  }
}

TEST_F(CodeGuardTest, TheDaysMaximumGivenTheCodeIsNotLookedAt) {
  record = CodeRecord{2, 0, 60, kToday};
  const CodeDecision decision = Try(WrongCodeAt(kNow));
  EXPECT_EQ(decision.kind, AnswerKind::kDailyMaximum);
  EXPECT_EQ(record.wrongCodes, 2) << "a code not looked at is not counted";
  EXPECT_EQ(Try(CodeAt(kNow), 30, kNow, 90, 0).kind, AnswerKind::kNoParentCode) << "a maximum of 0: no code";
}

TEST_F(CodeGuardTest, FiveWrongCodesLockTheCodeOutForAQuarterHourThenItCountsAfresh) {
  for (int wrong = 1; wrong < kWrongCodesBeforeLockOut; ++wrong) {
    const CodeDecision decision = Try(WrongCodeAt(kNow));
    EXPECT_EQ(decision.kind, AnswerKind::kWrongCode);
    EXPECT_EQ(decision.triesLeft, kWrongCodesBeforeLockOut - wrong);
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
  EXPECT_EQ(lastStep, 0) << "and it is not taken";

  const CodeDecision after = Try(WrongCodeAt(kNow + 900), 30, kNow + 900);
  EXPECT_TRUE(after.lockEnded);
  EXPECT_EQ(after.kind, AnswerKind::kWrongCode);
  EXPECT_EQ(record.wrongCodes, 1);
  EXPECT_EQ(record.lockedUntil, 0);
  EXPECT_EQ(Try(CodeAt(kNow + 930), 30, kNow + 930).kind, AnswerKind::kAdded);
  EXPECT_EQ(record.wrongCodes, 0) << "a right code ends the run of wrong ones";
}

TEST(CodeMinutesTest, TheUsersSettingWinsAndTheDayBoundsIt) {
  EXPECT_EQ(CodeMinutesSetting(std::nullopt, std::nullopt), 30);
  EXPECT_EQ(CodeMinutesSetting(std::nullopt, 45), 45);
  EXPECT_EQ(CodeMinutesSetting(20, 45), 20);
  EXPECT_EQ(CodeMinutesSetting(0, std::nullopt), 1);
  EXPECT_EQ(CodeMinutesSetting(9999, std::nullopt), 1440);
  EXPECT_EQ(MinutesByCodeNow(CodeRecord{0, 0, 40, kToday}, 60, 30, kToday), 20);
  EXPECT_EQ(MinutesByCodeNow(CodeRecord{0, 0, 40, "06.12.2026"}, 60, 30, kToday), 30);
  // An earlier version's user key: CodeMinutes counted the minutes given and is no setting.
  EXPECT_EQ(UserCodeMinutesSetting(20, true), std::nullopt);
  EXPECT_EQ(UserCodeMinutesSetting(20, false), 20);
  EXPECT_EQ(StoredMinutesGiven(std::nullopt, 20, true), 20);
  EXPECT_EQ(StoredMinutesGiven(std::nullopt, 20, false), 0);
  EXPECT_EQ(StoredMinutesGiven(35, 20, true), 35);
}

}  // namespace
