// The time checks of the ticks: confirming the time outside the handler lock, and holding on to a
// confirmed time only while the clock keeps step with it.

#include <optional>
#include <string>

#include "core/service_time.h"
#include "logging/logs.h"
#include "platform/date_time.h"
#include "service/hourwarden.h"
#include "timesync/time_confirmation.h"
#include "timesync/time_sync.h"

bool THourwarden::CheckTimeUnlocked(std::unique_lock<std::mutex>& lock) {
  const TimePageFetch fetchUnlocked = [this, &lock](const std::string& url) -> std::optional<FetchedTimePage> {
    lock.unlock();
    FetchedTimePage fetched = FetchTimePage(Platform(), url);
    lock.lock();
    if (stopRequested_) return std::nullopt;
    return fetched;
  };
  const bool confirmed = steps_.syncInternetTime(*this, fetchUnlocked) && !stopRequested_;
  if (confirmed && DayTestPending) {
    DayTestPending = false;
    CycleNow = ServiceLocalNow(*this);
    DayIndex = WeekdayIndex(CycleNow);
    steps_.updateSpentTimes(*this);
  }
  return confirmed;
}

bool THourwarden::ConfirmedTimeStillHolds() {
  if (ConfirmedTimeBelievable(*this)) return true;
  TimeSynced = false;  // the unsynchronised branch checks the time within the next 15 ticks
  steps_.evaluateRestrictions(*this);
  return false;
}

void THourwarden::RecheckTimeWhenDue(std::unique_lock<std::mutex>& lock) {
  if (!TimeSynced || !TimeRecheckDue(*this)) return;
  WriteLogAt(*this, 3, "Checking the confirmed time with internet time");
  if (!CheckTimeUnlocked(lock) && !stopRequested_) PostponeTimeRecheck(*this);
}
