#include "settings/user_state_store.h"

#include "logging/logs.h"
#include "platform/date_time.h"
#include "core/service_state.h"
#include "settings/registry_values.h"
#include "settings/settings_loader.h"
#include "settings/stored_formats.h"
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
  // The new table replaces the old one only when it is whole: one record for every user.
  StringListTable spentTimes;
  for (const std::string& name : service.RestrictedUsers) {
    WriteLogAt(service, 2, "Reading timestamp and spent time for user:" + name);
    int32_t minutes = 0;
    std::string date;
    if (registry->OpenKeyReadOnly(UserKeyPath(name))) {
      if (const std::optional<int32_t> stored = ReadIntegerValue(service, *registry, "SpentTime"))
        minutes = *stored;
      else
        WriteLogAt(service, 2, "ERROR: Not possible to read spent times");
      if (std::optional<std::string> stamp = ReadTextValue(service, *registry, "TimeStamp")) {
        date = stamp->empty() ? FormatStoredDate(service.CycleNow) : std::move(*stamp);
      } else {
        WriteLogAt(service, 2, "ERROR: Not possible to read timestamp");
      }
      registry->CloseKey();
    } else {
      WriteLogAt(service, 3, "ERROR: Not possible to open " + UserKeyPath(name));
    }
    WriteLogAt(service, 3, "spent_time=" + std::to_string(minutes) + " date=" + date);
    spentTimes.emplace_back(StringList{std::to_string(minutes), date});
  }
  service.SpentTimes = std::move(spentTimes);
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
        registry->WriteInteger("SpentTime", DecimalForValue((*entry)[0], keyPath, "SpentTime"));
        registry->WriteString("TimeStamp", (*entry)[1]);
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
