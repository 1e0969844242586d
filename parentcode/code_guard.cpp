#include "parentcode/code_guard.h"

#include <algorithm>

#include "parentcode/code_values.h"
#include "parentcode/one_time_code.h"

int CodeMinutesLeft(const CodeRecord& record, int maxMinutes, const std::string& today) {
  const int given = record.givenDate == today ? record.minutesGiven : 0;
  return std::max(0, maxMinutes - std::max(0, given));
}

int CodeMinutesSetting(std::optional<int32_t> userValue, std::optional<int32_t> productValue) {
  return std::clamp<int32_t>(userValue.value_or(productValue.value_or(kDefaultCodeMinutes)), 1, kMaxCodeMinutes);
}

int MinutesByCodeNow(const CodeRecord& record, int maxMinutes, int codeMinutes, const std::string& today) {
  return std::min(codeMinutes, CodeMinutesLeft(record, maxMinutes, today));
}

std::optional<int32_t> UserCodeMinutesSetting(std::optional<int32_t> codeMinutes, bool earlierRecord) {
  return earlierRecord ? std::nullopt : codeMinutes;
}

int32_t StoredMinutesGiven(std::optional<int32_t> codeGiven, std::optional<int32_t> codeMinutes, bool earlierRecord) {
  if (codeGiven) return *codeGiven;
  return earlierRecord ? codeMinutes.value_or(0) : 0;
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

  const CodeMatch match = MatchCode(hmac, secret, attempt.code, attempt.utcSeconds, attempt.lastAcceptedStep);
  if (!match.failure.empty()) {
    decision = CodeDecision{};
    decision.record = before;
    decision.failure = match.failure;
    return decision;
  }
  if (!match.step) {
    record.wrongCodes = std::max(0, record.wrongCodes) + 1;
    decision.kind = AnswerKind::kWrongCode;
    decision.triesLeft = std::max(0, kWrongCodesBeforeLockOut - record.wrongCodes);
    if (record.wrongCodes >= kWrongCodesBeforeLockOut) {
      record.lockedUntil = attempt.utcSeconds + kLockOutSeconds;
      decision.kind = AnswerKind::kLockedOut;
      decision.lockedUntil = record.lockedUntil;
      decision.lockStarted = true;
    }
    return decision;
  }

  decision.kind = AnswerKind::kAdded;
  decision.minutesGiven = std::min({attempt.codeMinutes, left, std::max(0, attempt.spentToday)});
  decision.acceptedStep = *match.step;
  if (record.givenDate != attempt.today) record.minutesGiven = 0;
  record.minutesGiven += decision.minutesGiven;
  record.givenDate = attempt.today;
  record.wrongCodes = 0;
  return decision;
}
