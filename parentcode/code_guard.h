#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/code_record.h"
#include "parentcode/more_time_protocol.h"
#include "platform/hmac_sha1.h"

// The decision on one typed parent's code: the lock-out, the day's maximum and the window of
// steps, apart from where the record is kept.

// The minutes the user may still be given by code today: the day's maximum less those given today.
int CodeMinutesLeft(const CodeRecord& record, int maxMinutes, const std::string& today);
// The minutes one code gives: "CodeMinutes" of the user's key, else of the product key, else 30,
// within 1..1440.
int CodeMinutesSetting(std::optional<int32_t> userValue, std::optional<int32_t> productValue);
// The minutes a code gives the user now: the setting, as far as the day's maximum leaves room.
int MinutesByCodeNow(const CodeRecord& record, int maxMinutes, int codeMinutes, const std::string& today);

// The values of a user's key that the version before the computer's step kept: with its
// "CodeLastStep" still there (earlierRecord), "CodeMinutes" is no setting but the minutes given.
// CodeMinutes of the key as the administrator's setting; nothing for the earlier count.
std::optional<int32_t> UserCodeMinutesSetting(std::optional<int32_t> codeMinutes, bool earlierRecord);
// The minutes given on CodeDate: CodeGiven, or the earlier version's CodeMinutes.
int32_t StoredMinutesGiven(std::optional<int32_t> codeGiven, std::optional<int32_t> codeMinutes, bool earlierRecord);

// One request, with what the service knows at that moment.
struct CodeAttempt {
  std::string code;
  int64_t utcSeconds = 0;
  std::string today;             // "dd.mm.yyyy", the service's date
  int maxMinutes = 0;            // the user's maximum a day by code
  int codeMinutes = 0;           // the minutes one code gives the user
  int spentToday = 0;            // the minutes counted today, which the code can lower to 0 at most
  int64_t lastAcceptedStep = 0;  // the step of the last code accepted on this computer
};

struct CodeDecision {
  AnswerKind kind = AnswerKind::kUnavailable;
  int minutesGiven = 0;       // kAdded
  int64_t acceptedStep = 0;   // kAdded: the step of the code, the computer's last from now on
  int64_t lockedUntil = 0;    // kLockedOut: the UTC second the lock ends
  int triesLeft = 0;          // kWrongCode: the wrong codes still taken before the lock-out
  bool lockStarted = false;   // this wrong code started the lock-out
  bool lockEnded = false;     // a lock-out had run out and was lifted by this attempt
  CodeRecord record;          // the user's record after the attempt, to keep
  std::string failure;        // kUnavailable: the HMAC failed, nothing was decided
};

// Judges the code. Under a running lock-out, or with the day's maximum given, the code is not
// looked at. A right code of a step after the computer's last accepted one gives
// min(the code's minutes, left today, spent today) minutes and ends the run of wrong codes; a
// wrong one (a code of a step already taken on this computer included, by whichever account)
// adds to it, and the fifth locks the code out for the user for 15 minutes.
CodeDecision JudgeCode(const HmacSha1& hmac, std::string_view secret, const CodeRecord& before,
                       const CodeAttempt& attempt);
