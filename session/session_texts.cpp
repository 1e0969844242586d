#include "session/session_texts.h"

namespace {

constexpr char kSaveYourWork[] = "Please save your work now: you will be logged off.";

std::string MinutesText(int minutes) { return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes"); }

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

std::string WarningText(const TimeLeft& timeLeft) {
  const int minutes = timeLeft.minutesLeft.value_or(0);
  if (timeLeft.reason == HoldReason::kRestrictedPeriod) {
    if (timeLeft.heldBackNow || minutes == 0)
      return std::string("The computer may not be used at this time.\n") + kSaveYourWork;
    return "The computer may not be used from " + timeLeft.restrictionStart + " on, in " + MinutesText(minutes) +
           ".\n" + kSaveYourWork;
  }
  if (timeLeft.heldBackNow || minutes == 0) return std::string("Your computer time for today is used up.\n") + kSaveYourWork;
  return "Your computer time for today ends in " + MinutesText(minutes) + ".\n" + kSaveYourWork;
}

std::string CountdownText(int secondsLeft) {
  return "Your computer time is over.\nYou will be logged off in " + std::to_string(secondsLeft) +
         (secondsLeft == 1 ? " second" : " seconds") + ".\nSave your work now!";
}

std::string CodeGivesText(int minutes) { return "A code gives " + MinutesText(minutes) + "."; }

std::string MoreTimeAnswerText(const std::optional<MoreTimeAnswer>& answer) {
  if (!answer) return "The Hourwarden service gave an answer that is not understood.";
  switch (answer->kind) {
    case AnswerKind::kAdded:
      if (answer->minutes == 0) return "Code accepted, but no minutes are counted today: there is nothing to add.";
      return MinutesText(answer->minutes) + " added";
    case AnswerKind::kWrongCode:
      return "Code not accepted";
    case AnswerKind::kLockedOut:
      return "Too many wrong codes: try again after " + answer->until;
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
    case AnswerKind::kUnavailable:
      break;
  }
  return "The Hourwarden service cannot answer now. Try again in a minute.";
}
