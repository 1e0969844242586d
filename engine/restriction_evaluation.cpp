#include "engine/restriction_evaluation.h"

#include <cstdint>
#include <optional>

#include "engine/account_blocking.h"
#include "engine/day_filter.h"
#include "engine/save_grace.h"
#include "engine/session_backstop.h"
#include "logging/logs.h"
#include "base/date_time.h"
#include "core/service_state.h"
#include "settings/stored_formats.h"
#include "settings/user_state_store.h"

namespace {

// The entry of today in a per-user list of seven or more days; nothing when the list is missing
// or too short.
const std::string* TodaysEntry(const StringListTable& table, int userIndex, int dayIndex) {
  const StringList* days = TableEntry(table, userIndex);
  if (days == nullptr || dayIndex < 0 || dayIndex >= days->Count()) return nullptr;
  return &(*days)[dayIndex];
}

void Evaluate(ServiceState& service, bool withdrawFreeUsersRequests) {
  for (int i = 0; i < service.RestrictedUsers.Count(); ++i) {
    const std::string name = service.RestrictedUsers[i];
    WriteLogAt(service, 3, "FILTER: " + name);
    const int logoffPosition = service.LoggedOnUsers.IndexOf(name) + 1;  // 0: owns no process
    int disableCount = 0;
    if (!service.TimeSynced) {
      WriteLogAt(service, 3, "inet_connected=0");
      ++disableCount;
    }
    if (CountRestrictions(service, name) != 0) ++disableCount;  // one step even when both hold
    WriteLogAt(service, 3, "logoff=" + std::to_string(logoffPosition) + " disable=" + std::to_string(disableCount));

    if (disableCount == 0) {
      SetAccountBlocked(service, name, false);
      if (withdrawFreeUsersRequests && ReadLogoffFlag(service, name) != 0) {
        WriteLogAt(service, 1, "Logoff request withdrawn for " + name + ": the time is confirmed and the user is free");
        WriteLogoffFlag(service, name, 0);
        NoteStillLogged(service, name, false);
      }
      continue;
    }
    SetAccountBlocked(service, name, true);
    if (logoffPosition == 0) continue;
    if (KeptAwayByLock(service, name)) {
      WriteLogAt(service, 3, "No logoff request for " + name + ": every session locked or disconnected");
      continue;
    }
    if (InGrace(service, name)) {
      WriteLogAt(service, 3, "No logoff request for " + name + ": the grace to save the work runs");
      continue;
    }
    if (!WriteLogoffFlag(service, name, 1)) PrepareShutdown(service);
  }
}

}  // namespace

void EvaluateRestrictions(ServiceState& service) { Evaluate(service, false); }

void EvaluateAtConfirmedTime(ServiceState& service) { Evaluate(service, true); }

int CountRestrictions(ServiceState& service, const std::string& userName) {
  const int filter = CheckTimeFilter(service, userName);
  return filter + CheckTimeLimit(service, userName);
}

int CheckTimeFilter(ServiceState& service, const std::string& userName) {
  const int userIndex = service.RestrictedUsers.IndexOf(userName);
  if (userIndex < 0) return 0;
  // Compared with the stored "HH:mm" times, so always written with ":", whatever the locale.
  const std::string currentTime = FilterTimeText(service.CycleNow);
  const std::string* filter = TodaysEntry(service.DayFilters, userIndex, service.DayIndex);
  if (filter == nullptr) {
    WriteLogAt(service, 2, "ERROR: User " + userName + " has empty filter settings");
    return 0;
  }
  WriteLogAt(service, 3, "current_time=" + currentTime + " day_of_week=" + std::to_string(service.DayIndex));
  WriteLogAt(service, 3, "time_filter=" + *filter);

  const FilterWalk walk = WalkDayFilter(*filter, currentTime);
  if (!walk.stopped) return 0;
  WriteLogAt(service, 3, "time=" + walk.token + " restricted_period=" + std::to_string(walk.position % 2));
  return walk.restricted ? 1 : 0;
}

int CheckTimeLimit(ServiceState& service, const std::string& userName) {
  const int userIndex = service.RestrictedUsers.IndexOf(userName);
  if (userIndex < 0) return 0;

  // A record of another shape is left alone without a message; a count that is not a decimal
  // integer makes the record count as absent, as an allowance that is not one does the list.
  const StringList* record = TableEntry(service.SpentTimes, userIndex);
  const bool wellShaped = record != nullptr && record->Count() == 2;
  const std::optional<int32_t> spent = wellShaped ? ParseDecimal32((*record)[0]) : std::nullopt;
  const bool recordAbsent = record == nullptr || (wellShaped && !spent);
  // The allowance of the date the count belongs to: the clock's, unless it went back before the
  // latest date counted, whose count then goes on (engine/usage_accounting.h) under its own allowance.
  const std::optional<double> countDate = wellShaped ? ParseStoredDate((*record)[1]) : std::nullopt;
  const int allowanceDay = countDate ? WeekdayIndex(*countDate) : service.DayIndex;
  const std::string* allowanceText = TodaysEntry(service.DayLimits, userIndex, allowanceDay);
  const std::optional<int32_t> allowance = allowanceText ? ParseDecimal32(*allowanceText) : std::nullopt;

  if (spent && allowance) {
    const int32_t spentMinutes = spent.value_or(0), allowedMinutes = allowance.value_or(0);
    const bool over = spentMinutes > allowedMinutes;  // the allowance itself is still within the limit
    if (over) WriteLogAt(service, 1, "User logged over time limit:" + std::to_string(allowedMinutes));
    WriteLogAt(service, 3,
               "Spent time=" + std::to_string(spentMinutes) + " Max time=" + std::to_string(allowedMinutes));
    return over ? 1 : 0;
  }
  if (recordAbsent) WriteLogAt(service, 1, "ERROR: Not possible to get current spent time for " + userName);
  if (!allowance) WriteLogAt(service, 1, "ERROR: Not possible to get max limit times for " + userName);
  return 0;
}
