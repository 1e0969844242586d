#include "engine/usage_accounting.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "engine/account_blocking.h"
#include "engine/session_presence.h"
#include "logging/logs.h"
#include "platform/date_time.h"
#include "core/service_state.h"
#include "settings/settings_loader.h"
#include "settings/stored_formats.h"
#include "settings/user_state_store.h"

int UpdateSpentTimes(ServiceState& service) {
  const std::string today = FormatStoredDate(service.CycleNow);
  const std::optional<double> todayDate = ParseStoredDate(today);
  int changes = 0;
  for (int i = 0; i < service.RestrictedUsers.Count(); ++i) {
    const std::string& name = service.RestrictedUsers[i];
    WriteLogAt(service, 3, "Updating spent time for user: " + name);
    const bool loggedOn = MinuteCountsFor(service, name);

    StringList* record = TableEntry(service.SpentTimes, i);
    const std::optional<int32_t> stored =
        record != nullptr && record->Count() == 2 ? ParseDecimal32((*record)[0]) : std::nullopt;
    if (!stored) {
      WriteLogAt(service, 1, "ERROR: Not possible to update spent time for " + name);
      continue;
    }
    int32_t spent = *stored;
    if (loggedOn) {
      // The count has no bound of its own, but it is stored as a 32-bit number.
      if (spent < std::numeric_limits<int32_t>::max()) ++spent;
      ++changes;
    }
    const std::string& stamp = (*record)[1];
    if (stamp != today) {
      const std::optional<double> stampDate = ParseStoredDate(stamp);
      if (stampDate && todayDate && *stampDate > *todayDate) {
        // Written while the clock was ahead: going back a day gives no fresh allowance.
        WriteLogAt(service, 1, "Spent time of " + name + " is dated " + stamp + ", after today; it is kept for today");
      } else {  // an earlier date, or any other text, the empty one included
        WriteLogAt(service, 3, "Next day - reseting spent times");
        spent = 0;
      }
      ++changes;
    }
    (*record)[0] = std::to_string(spent);
    (*record)[1] = today;
    WriteLogAt(service, 3, "spent time=" + std::to_string(spent) + " date=" + today);
  }
  return changes;
}

void MinuteRefresh(ServiceState& service) {
  LearnSessionPresence(service);
  CheckLogoffFlags(service);
  const bool reloadRequested = CheckReloadRequest(service) != 0;
  // A load that fails keeps the settings and counts of before, and this minute is counted with
  // them as if no reload had been asked for; the next minute tries again.
  if ((reloadRequested || service.ReloadPending) && LoadSettings(service)) {
    ReadSpentTimes(service);
    return;
  }
  if (UpdateSpentTimes(service) != 0) WriteSpentTimes(service);
}
