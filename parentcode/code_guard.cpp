#include "parentcode/code_guard.h"

#include <algorithm>

#include "parentcode/code_values.h"
#include "parentcode/one_time_code.h"

int CodeMinutesLeft(const CodeRecord& record, int maxMinutes, const std::string& today) {
  const int given = record.givenDate == today ? record.minutesGiven : 0;
  return std::max(0, maxMinutes - std::max(0, given));
}

std::vector<int> MinuteChoices(int minutesLeft) {
  std::vector<int> choices;
  for (const int minutes : {15, 30, 60})
    if (minutes <= minutesLeft) choices.push_back(minutes);
  if (choices.empty() && minutesLeft > 0) choices.push_back(minutesLeft);
  return choices;
}

CodeDecision JudgeCode(const HmacSha1& hmac, std::string_view secret, const CodeRecord& before,
                       const CodeAttempt& attempt) {
  CodeDecision decision;
  decision.record = before;
  CodeRecord& record = decision.record;
  if (attempt.maxMinutes <= 0) {
    decision.kind = AnswerKind::kNoParentCode;
    return decision;
  }
  if (record.lockedUntil > attempt.utcSeconds) {
    decision.kind = AnswerKind::kLockedOut;
    decision.lockedUntil = record.lockedUntil;
    return decision;
  }
  if (record.lockedUntil != 0) {
    decision.lockEnded = true;
    record.lockedUntil = 0;
    record.wrongCodes = 0;
  }
  const int left = CodeMinutesLeft(record, attempt.maxMinutes, attempt.today);
  if (left <= 0) {
    decision.kind = AnswerKind::kDailyMaximum;
    return decision;
  }

  const CodeMatch match = MatchCode(hmac, secret, attempt.code, attempt.utcSeconds, record.lastStep);
  if (!match.failure.empty()) {
    decision = CodeDecision{};
    decision.record = before;
    decision.failure = match.failure;
    return decision;
  }
  if (!match.step) {
    record.wrongCodes = std::max(0, record.wrongCodes) + 1;
    decision.kind = AnswerKind::kWrongCode;
    if (record.wrongCodes >= kWrongCodesBeforeLockOut) {
      record.lockedUntil = attempt.utcSeconds + kLockOutSeconds;
      decision.kind = AnswerKind::kLockedOut;
      decision.lockedUntil = record.lockedUntil;
      decision.lockStarted = true;
    }
    return decision;
  }

  decision.kind = AnswerKind::kAdded;
  decision.minutesGiven = std::min({attempt.requestedMinutes, left, std::max(0, attempt.spentToday)});
  if (record.givenDate != attempt.today) record.minutesGiven = 0;
  record.minutesGiven += decision.minutesGiven;
  record.givenDate = attempt.today;
  record.wrongCodes = 0;
  record.lastStep = *match.step;
  return decision;
}
