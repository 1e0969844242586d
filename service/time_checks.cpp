// The time checks of the service: one at a time on a thread of its own, its result taken by the
// ticks; and a confirmed time held on to only while the clock keeps step with it.

#include "logging/logs.h"
#include "service/hourwarden.h"
#include "timesync/time_confirmation.h"

std::optional<bool> THourwarden::CheckTime() {
  if (!timeCheck_) timeCheck_ = steps_.startTimeCheck(*this);
  return TakeTimeCheck();
}

std::optional<bool> THourwarden::TakeTimeCheck() {
  if (!timeCheck_) return std::nullopt;
  std::optional<TimeCheckResult> result = timeCheck_->Take();
  if (!result) return std::nullopt;
  timeCheck_.reset();
  return steps_.syncInternetTime(*this, *result);
}

bool THourwarden::ConfirmedTimeStillHolds() {
  if (ConfirmedTimeBelievable(*this)) return true;
  TimeSynced = false;
  ticksToTimeCheck_ = 1;  // the next tick checks the time, unless a check is under way already
  steps_.evaluateRestrictions(*this);
  return false;
}

void THourwarden::RecheckTimeWhenDue() {
  if (!TimeSynced || timeCheck_ || !TimeRecheckDue(*this)) return;
  WriteLogAt(*this, 3, "Checking the confirmed time with internet time");
  if (CheckTime() == false) PostponeTimeRecheck(*this);
}
