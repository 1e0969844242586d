#include "settings/settings_loader.h"

#include <stdexcept>

#include "logging/logs.h"
#include "core/service_state.h"
#include "settings/stored_formats.h"

std::string UserKeyPath(const std::string& userName) { return kRestrictionsKey + userName; }

std::unique_ptr<RegistryAccess> OpenServiceRegistry(ServiceState& service) {
  const RegistryOpener& opener = service.Platform().openRegistry;
  if (!opener) throw std::logic_error("The service platform has no registry to open");
  return opener();
}

void LoadSettings(ServiceState& service) {
  const std::unique_ptr<RegistryAccess> registry = OpenServiceRegistry(service);
  ClearFilterConfiguration(service);

  if (registry->KeyExists(kProductKey) && registry->OpenKeyReadOnly(kProductKey)) {
    ReadDebugLevel(service, *registry);
    ReadAppPath(service, *registry);
    registry->CloseKey();
  }

  if (!registry->KeyExists(kRestrictionsKey)) return;
  if (!registry->OpenKeyReadOnly(kRestrictionsKey)) {
    WriteLogAt(service, 2, "ERROR: Not possible to get restricted users");
    return;
  }
  registry->GetKeyNames(service.RestrictedUsers);
  registry->CloseKey();

  for (const std::string& name : service.RestrictedUsers) {
    if (registry->OpenKeyReadOnly(UserKeyPath(name))) {
      WriteLogAt(service, 2, "Reading settings for user:" + name);
      ReadDayFilters(service, *registry);
      ReadDayLimits(service, *registry);
      registry->CloseKey();
    } else {
      WriteLogAt(service, 1, "ERROR: Unable to read settings for user:" + name);
      service.DayFilters.emplace_back();
      service.DayLimits.emplace_back();
    }
  }
}

void ClearFilterConfiguration(ServiceState& service) {
  service.RestrictedUsers.Clear();
  service.DayFilters.clear();
  service.DayLimits.clear();
  WriteLogAt(service, 3, "Filter configuration cleared");
}

void ReadDebugLevel(ServiceState& service, RegistryAccess& registry) {
  if (registry.ValueExists(kDebugValue)) {
    service.DebugLevel = registry.ReadInteger(kDebugValue);
    WriteLogAt(service, 2, "Debug level set to:" + std::to_string(service.DebugLevel));
  } else {
    service.DebugLevel = 2;
    WriteLogAt(service, 1, "ERROR: Debug level not in registry. Set to " + std::to_string(service.DebugLevel));
  }
}

void ReadAppPath(ServiceState& service, RegistryAccess& registry) {
  if (registry.ValueExists(kPathValue)) {
    service.AppPath = registry.ReadString(kPathValue);
    WriteLogAt(service, 2, "Application path:" + service.AppPath);
  } else {
    service.AppPath.clear();
    WriteLogAt(service, 1, "ERROR: Application path not set");
  }
}

void ReadDayFilters(ServiceState& service, RegistryAccess& registry) {
  StringList filters;
  int day = 0;
  while (registry.ValueExists("Day" + std::to_string(day))) {
    const std::string name = "Day" + std::to_string(day);
    filters.Add(registry.ReadString(name));
    WriteLogAt(service, 3, name + "=" + filters[day]);
    ++day;
  }
  for (; day < kDaysInWeek; ++day) {
    filters.Add("");
    WriteLogAt(service, 3, "Filling empty day: " + std::to_string(day));
  }
  service.DayFilters.emplace_back(std::move(filters));
}

void ReadDayLimits(ServiceState& service, RegistryAccess& registry) {
  StringList limits;
  if (registry.ValueExists("DayLimit")) {
    const std::string text = registry.ReadString("DayLimit");
    WriteLogAt(service, 3, "DayLimits: " + text);
    limits = SplitAtSpaces(text);
  } else {
    WriteLogAt(service, 1, "Unable to read user max day times");
  }
  for (int day = limits.Count(); day < kDaysInWeek; ++day) {
    limits.Add(kWholeDayMinutes);
    WriteLogAt(service, 3, "Filling max day time for empty day: " + std::to_string(day));
  }
  service.DayLimits.emplace_back(std::move(limits));
}

int32_t CheckReloadRequest(ServiceState& service) {
  const std::unique_ptr<RegistryAccess> registry = OpenServiceRegistry(service);
  if (!registry->OpenKey(kProductKey)) {
    WriteLogAt(service, 2, "ERROR: Not possible to read settings flag");
    return 0;
  }
  int32_t request = 0;
  if (registry->ValueExists("ReadSettings")) request = registry->ReadInteger("ReadSettings");
  if (request != 0) {
    WriteLogAt(service, 1, "Request to read user settings");
    registry->WriteInteger("ReadSettings", 0);
  }
  registry->CloseKey();
  WriteLogAt(service, 3, "ReadSettings=" + std::to_string(request));
  return request;
}
