#include "engine/usage_accounting.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "engine/account_blocking.h"
#include "engine/session_presence.h"
#include "logging/logs.h"
#include "base/date_time.h"
#include "core/service_state.h"
#include "settings/settings_loader.h"
#include "settings/stored_formats.h"
#include "settings/user_state_store.h"

namespace {

// The user's ledger, an empty one added for a user past the end of SpentDays.
DayLedger& LedgerOf(ServiceState& service, int index) {
  if (service.SpentDays.size() <= static_cast<size_t>(index)) service.SpentDays.resize(static_cast<size_t>(index) + 1);
  return service.SpentDays[static_cast<size_t>(index)];
}

// Says once per change of the clock's date (or of the latest date) that the clock shows a date
// before the latest one counted for the user, and on which date the user's minutes are counted.
void NoteClockBack(ServiceState& service, const std::string& name, const DayLedger& ledger, int32_t today,
                   const CountingDay& day) {
  const bool back = !ledger.minutes.empty() && today < ledger.minutes.rbegin()->first;
  if (!back) {
    service.ClockBackNoted.erase(name);
    return;
  }
  const std::pair<int32_t, int32_t> dates{today, ledger.minutes.rbegin()->first};
  const auto noted = service.ClockBackNoted.find(name);
  if (noted != service.ClockBackNoted.end() && noted->second == dates) return;
  service.ClockBackNoted[name] = dates;
  WriteLogAt(service, 1, "The clock went back to " + LedgerDateText(today) + ", before " +
                             LedgerDateText(dates.second) + " counted for " + name +
                             ": its minutes are counted on " + LedgerDateText(day.date) + " (" +
                             std::to_string(day.minutes) + " so far)");
}

// The date of CycleNow.
int32_t CycleDate(const ServiceState& service) { return LedgerDateOf(service.CycleNow); }

// The record's count; nothing for a record of another shape or a count that is no number.
std::optional<int32_t> RecordCount(ServiceState& service, int index) {
  const StringList* record = TableEntry(service.SpentTimes, index);
  return record != nullptr && record->Count() == 2 ? ParseDecimal32((*record)[0]) : std::nullopt;
}

}  // namespace

std::optional<CountingDay> CurrentCount(ServiceState& service, int index) {
  const std::optional<int32_t> stored = RecordCount(service, index);
  if (!stored) return std::nullopt;
  DayLedger& ledger = LedgerOf(service, index);
  TakeCount(ledger, (*TableEntry(service.SpentTimes, index))[1], *stored);
  return DayToCount(ledger, CycleDate(service));
}

int32_t LowerCurrentCount(ServiceState& service, int index, int32_t minutes) {
  const std::optional<CountingDay> day = CurrentCount(service, index);
  if (!day) return 0;
  DayLedger& ledger = LedgerOf(service, index);
  const int32_t taken = LowerCount(ledger, day->date, minutes);
  StringList& record = *TableEntry(service.SpentTimes, index);
  if (record[1] == LedgerDateText(day->date)) record[0] = std::to_string(ledger.minutes[day->date]);
  return taken;
}

int UpdateSpentTimes(ServiceState& service) {
  const int32_t today = CycleDate(service);
  int changes = 0;
  for (int i = 0; i < service.RestrictedUsers.Count(); ++i) {
    const std::string& name = service.RestrictedUsers[i];
    WriteLogAt(service, 3, "Updating spent time for user: " + name);
    const bool loggedOn = MinuteCountsFor(service, name);

    StringList* record = TableEntry(service.SpentTimes, i);
    const std::optional<int32_t> stored = RecordCount(service, i);
    if (!stored) {
      WriteLogAt(service, 1, "ERROR: Not possible to update spent time for " + name);
      continue;
    }
    // The record is the count the service was adding to; the ledger holds every other date.
    DayLedger& ledger = LedgerOf(service, i);
    TakeCount(ledger, (*record)[1], *stored);
    const CountingDay day = DayToCount(ledger, today);
    NoteClockBack(service, name, ledger, today, day);
    const std::string dayText = LedgerDateText(day.date);
    if (dayText != (*record)[1]) {
      if (day.as == CountedAs::kNewDay) WriteLogAt(service, 3, "Next day - reseting spent times");
      ++changes;
    }
    int32_t spent = day.minutes;
    if (loggedOn) {
      // The minute that runs into a new day is not counted: the new day starts at 0. The count
      // has no bound of its own, but it is stored as a 32-bit number.
      if (day.as != CountedAs::kNewDay && spent < std::numeric_limits<int32_t>::max()) ++spent;
      ++changes;
    }
    PutCount(ledger, day.date, spent);
    (*record)[0] = std::to_string(spent);
    (*record)[1] = dayText;
    WriteLogAt(service, 3, "spent time=" + std::to_string(spent) + " date=" + dayText);
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
