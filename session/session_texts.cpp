#include "session/session_texts.h"

#include "base/date_time.h"

namespace {

// U+00A0, the no-break space, in UTF-8.
constexpr char kNoBreak[] = "\xC2\xA0";

std::string MinutesText(int minutes) { return std::to_string(minutes) + kNoBreak + (minutes == 1 ? "minute" : "minutes"); }
std::string SecondsText(int seconds) { return std::to_string(seconds) + kNoBreak + (seconds == 1 ? "second" : "seconds"); }

// What the end does, after "the computer will" or "The computer will".
const char* EndVerb(SessionEnd end) { return end == SessionEnd::kLock ? "lock" : "sign you out"; }
// What the user does about it.
const char* EndAdvice(SessionEnd end) {
  return end == SessionEnd::kLock ? "Your games and homework stay open until you may use it again."
                                  : "Save your game or homework now.";
}

}  // namespace

std::string DurationText(int minutes) {
  if (minutes < 60) return std::to_string(minutes) + " min";
  const std::string hours = std::to_string(minutes / 60) + " h";
  return minutes % 60 == 0 ? hours : hours + " " + std::to_string(minutes % 60) + " min";
}

std::string TrayTipText(const TimeLeft& timeLeft) {
  if (timeLeft.heldBackNow) return "Hourwarden: no computer time left now";
  if (!timeLeft.minutesLeft) return "Hourwarden: no limit for the rest of today";
  std::string tip = "Hourwarden: " + DurationText(*timeLeft.minutesLeft) + " left today";
  if (timeLeft.reason == HoldReason::kRestrictedPeriod) tip += " (not allowed from " + timeLeft.restrictionStart + ")";
  return tip;
}

std::string WarningText(const TimeLeft& timeLeft, double now, SessionEnd end) {
  const int minutes = timeLeft.minutesLeft.value_or(0);
  if (timeLeft.heldBackNow || minutes <= 0)
    return std::string("Computer time is over for now.\nThe computer will ") + EndVerb(end) + " soon. " + EndAdvice(end);
  const std::string at = FormatTimeOfDay(now + minutes / 1440.0, ":");  // minutes in a day
  return "At " + at + " the computer will " + EndVerb(end) + ".\nThat is in " + MinutesText(minutes) + ". " +
         EndAdvice(end);
}

std::string CountdownText(int secondsLeft, SessionEnd end) {
  return std::string("Computer time is over.\nThe computer will ") + EndVerb(end) + " in " + SecondsText(secondsLeft) +
         ".\n" + EndAdvice(end);
}

std::string TypingWaitText(int secondsLeft, SessionEnd end) {
  return "Type the code now.\nThe computer waits " + SecondsText(secondsLeft) + " more, then it will " +
         EndVerb(end) + ".";
}

std::string GraceText(const std::string& until, SessionEnd end) {
  return "You have until " + until + " to save your work.\nThen the computer will " + EndVerb(end) + ".";
}

std::string CodeGivesText(int minutes) { return "A code gives " + MinutesText(minutes) + "."; }

std::string MoreTimeAnswerText(const std::optional<MoreTimeAnswer>& answer) {
  if (!answer) return "The Hourwarden service gave an answer that is not understood.";
  switch (answer->kind) {
    case AnswerKind::kAdded:
      if (answer->minutes == 0) return "Code accepted, but no minutes are counted today: there is nothing to add.";
      return MinutesText(answer->minutes) + " added";
    case AnswerKind::kWrongCode:
      if (answer->triesLeft < 0) return "That code did not work. Check the code on the phone and try again.";
      if (answer->triesLeft == 0) return "Wrong code. No tries left.";
      return "Wrong code. " + std::to_string(answer->triesLeft) + kNoBreak + (answer->triesLeft == 1 ? "try" : "tries") +
             " left.";
    case AnswerKind::kLockedOut:
      return "Wrong code. No tries left: you can try again at " + answer->until + ".";
    case AnswerKind::kDailyMaximum:
      return "No more time by code today: " + MinutesText(answer->minutes) + " a day is the most.";
    case AnswerKind::kNotRestricted:
      return "This account has no time limit.";
    case AnswerKind::kNoParentCode:
      return "No parent's code is set up for this account.";
    case AnswerKind::kTimeNotConfirmed:
      return "The computer's clock is not confirmed yet. Try again in a minute.";
    case AnswerKind::kRefused:
      return "The request was not understood.";
    case AnswerKind::kGrace:
      return MinutesText(answer->minutes) + " to save your work";
    case AnswerKind::kGraceUsed:
      return "The extra minutes to save your work are used up for today.";
    case AnswerKind::kUnavailable:
      break;
  }
  return "The Hourwarden service cannot answer now. Try again in a minute.";
}
