#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/code_record.h"
#include "parentcode/more_time_protocol.h"
#include "platform/hmac_sha1.h"

// The decision on one typed parent's code: the lock-out, the day's maximum and the window of
// steps, apart from where the record is kept.

// The minutes the user may still be given by code today: the day's maximum less those given today.
int CodeMinutesLeft(const CodeRecord& record, int maxMinutes, const std::string& today);
// The choices of minutes to offer: 15, 30 and 60 as far as they fit in what is left; what is left
// when even 15 do not fit; none when nothing is.
std::vector<int> MinuteChoices(int minutesLeft);

// One request, with what the service knows at that moment.
struct CodeAttempt {
  std::string code;
  int requestedMinutes = 0;
  int64_t utcSeconds = 0;
  std::string today;   // "dd.mm.yyyy", the service's date
  int maxMinutes = 0;  // the user's maximum a day by code
  int spentToday = 0;  // the minutes counted today, which the code can lower to 0 at most
};

struct CodeDecision {
  AnswerKind kind = AnswerKind::kUnavailable;
  int minutesGiven = 0;      // kAdded
  int64_t lockedUntil = 0;   // kLockedOut: the UTC second the lock ends
  bool lockStarted = false;  // this wrong code started the lock-out
  bool lockEnded = false;    // a lock-out had run out and was lifted by this attempt
  CodeRecord record;         // the record after the attempt, to keep
  std::string failure;       // kUnavailable: the HMAC failed, nothing was decided
};

// Judges the code. Under a running lock-out, or with the day's maximum given, the code is not
// looked at. A right code of a step not taken before gives min(asked, left today, spent today)
// minutes and ends the run of wrong codes; a wrong one (a code of a step already taken included)
// adds to it, and the fifth locks the code out for 15 minutes.
CodeDecision JudgeCode(const HmacSha1& hmac, std::string_view secret, const CodeRecord& before,
                       const CodeAttempt& attempt);
