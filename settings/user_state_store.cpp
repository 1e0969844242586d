#include "settings/user_state_store.h"

#include "logging/logs.h"
#include "base/date_time.h"
#include "core/service_state.h"
#include "settings/registry_values.h"
#include "settings/settings_loader.h"
#include "settings/stored_formats.h"
#include "settings/user_values.h"
#include "settings/value_reads.h"

namespace {

// The number of a decimal integer text (an optional minus sign and digits, within 32 bits); a
// RegistryError naming the value it was meant for otherwise, so nothing is written from it.
int32_t DecimalForValue(const std::string& text, const std::string& keyPath, const std::string& valueName) {
  const std::optional<int32_t> number = ParseDecimal32(text);
  if (!number) throw ValueError(keyPath, valueName, "the text \"" + text + "\" is not a decimal integer");
  return *number;
}

// Opens a restricted user's key read-write, but only when it exists. The minute refresh reads the
// logoff flags before it honours a reload request; a read that created a user key the
// configuration tool has just deleted would bring the user back at that very reload, restricted.
// (The writes do create a missing key: they hold state the service owns.)
bool OpenExistingUserKey(RegistryAccess& registry, const std::string& keyPath) {
  return registry.KeyExists(keyPath) && registry.OpenKey(keyPath);
}

}  // namespace

void ReadSpentTimes(ServiceState& service) {
  const std::unique_ptr<RegistryAccess> registry = OpenServiceRegistry(service);
  // The new tables replace the old ones only when they are whole: one record for every user.
  StringListTable spentTimes;
  std::vector<DayLedger> spentDays;
  for (const std::string& name : service.RestrictedUsers) {
    WriteLogAt(service, 2, "Reading timestamp and spent time for user:" + name);
    int32_t minutes = 0;
    std::string date;
    DayLedger ledger;
    if (registry->OpenKeyReadOnly(UserKeyPath(name))) {
      const UserValues values = ReadUserValues(*registry);
      registry->CloseKey();
      ReportTypeError(service, values.spentTime.typeError);
      if (const std::optional<int32_t> stored = values.spentTime.Usable())
        minutes = *stored;
      else
        WriteLogAt(service, 2, "ERROR: Not possible to read spent times");
      ReportTypeError(service, values.timeStamp.typeError);
      if (const std::optional<std::string> stamp = values.timeStamp.Usable())
        date = stamp->empty() ? FormatStoredDate(service.CycleNow) : *stamp;
      else
        WriteLogAt(service, 2, "ERROR: Not possible to read timestamp");
      ReportTypeError(service, values.spentDays.typeError);
      LedgerReading reading = LedgerOf(values, service.CycleNow);
      for (const std::string& line : reading.badLines)
        WriteLogAt(service, 1, "ERROR: The line \"" + line + "\" of " + kSpentDaysValue + " of " + name +
                                   " is no date=minutes of its own; taken as absent");
      ledger = std::move(reading.ledger);
      // The count of the date comes from the ledger when SpentTime could not give it: none is lost.
      if (const std::optional<int32_t> day = LedgerDate(date); day && ledger.minutes.count(*day) != 0)
        minutes = ledger.minutes[*day];
    } else {
      WriteLogAt(service, 3, "ERROR: Not possible to open " + UserKeyPath(name));
    }
    WriteLogAt(service, 3, "spent_time=" + std::to_string(minutes) + " date=" + date);
    spentTimes.emplace_back(StringList{std::to_string(minutes), date});
    spentDays.push_back(std::move(ledger));
  }
  service.SpentTimes = std::move(spentTimes);
  service.SpentDays = std::move(spentDays);
}

void WriteSpentTimes(ServiceState& service) {
  const std::unique_ptr<RegistryAccess> registry = OpenServiceRegistry(service);
  for (int i = 0; i < service.RestrictedUsers.Count(); ++i) {
    const std::string& name = service.RestrictedUsers[i];
    const std::string keyPath = UserKeyPath(name);
    if (!registry->OpenKey(keyPath)) {
      WriteLogAt(service, 1, "ERROR: Not possible to open " + keyPath);
      continue;
    }
    WriteLogAt(service, 2, "Writing spent times for user:" + name);
    if (i >= static_cast<int>(service.SpentTimes.size())) {
      WriteLogAt(service, 2, "ERROR: Timestamp for user not exist");
    } else if (const StringList* entry = TableEntry(service.SpentTimes, i); entry == nullptr || entry->Count() != 2) {
      WriteLogAt(service, 2, "ERROR: Timestamp not contains 2 values");
    } else {
      // A refused write (or a count that is no number) loses nothing: the count stays in memory
      // and the next write tries again; the users after this one are still written.
      try {
        const int32_t minutes = DecimalForValue((*entry)[0], keyPath, "SpentTime");
        registry->WriteInteger("SpentTime", minutes);
        registry->WriteString("TimeStamp", (*entry)[1]);
        // The ledger always holds the current count on its date, so the two never disagree.
        DayLedger ledger = static_cast<size_t>(i) < service.SpentDays.size() ? service.SpentDays[i] : DayLedger{};
        if (const std::optional<int32_t> date = LedgerDate((*entry)[1]))
          PutCount(ledger, *date, minutes);
        else
          PruneLedger(ledger);
        registry->WriteMultiString(kSpentDaysValue, LedgerLines(ledger));
        WriteLogAt(service, 3, "spent_time=" + (*entry)[0] + "  date=" + (*entry)[1]);
      } catch (const RegistryError& error) {
        WriteLogAt(service, 1, "ERROR: Not possible to write spent times for " + name + ": " + error.what());
      }
    }
    registry->CloseKey();
  }
}

int32_t ReadLogoffFlag(ServiceState& service, const std::string& userName) {
  const std::unique_ptr<RegistryAccess> registry = OpenServiceRegistry(service);
  if (!OpenExistingUserKey(*registry, UserKeyPath(userName))) {
    WriteLogAt(service, 2, "ERROR: Not possible to read logoff flag");
    return 0;
  }
  const int32_t flag = ReadIntegerValue(service, *registry, "Logoff").value_or(0);
  registry->CloseKey();
  WriteLogAt(service, 3, userName + ": logoff_flag=" + std::to_string(flag));
  return flag;
}

bool WriteLogoffFlag(ServiceState& service, const std::string& userName, int32_t value) {
  const std::unique_ptr<RegistryAccess> registry = OpenServiceRegistry(service);
  WriteLogAt(service, 1, "Writting logoff flag for user: " + userName);
  if (!registry->OpenKey(UserKeyPath(userName))) {
    WriteLogAt(service, 1, "ERROR: Not possible to write logoff flag");
    return false;
  }
  try {
    registry->WriteInteger("Logoff", value);
  } catch (const RegistryError& error) {
    WriteLogAt(service, 1, "ERROR: Not possible to write logoff flag");
    WriteLogAt(service, 1, error.what());
    return false;
  }
  WriteLogAt(service, 3, "logoff_flag=" + std::to_string(value));
  registry->CloseKey();
  return true;
}
