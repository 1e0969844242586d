#include "settings/settings_loader.h"

#include <algorithm>
#include <stdexcept>

#include "logging/logs.h"
#include "core/service_state.h"
#include "base/date_time.h"
#include "base/zone_name.h"
#include "platform/time_zones.h"
#include "settings/stored_formats.h"
#include "settings/user_values.h"
#include "settings/value_reads.h"

std::string UserKeyPath(const std::string& userName) { return kRestrictionsKey + userName; }

std::unique_ptr<RegistryAccess> OpenServiceRegistry(ServiceState& service) {
  return service.Platform().openRegistry();
}

namespace {

// The steps of a load, as they fill the tables of the service.
void LoadSettingsSteps(ServiceState& service) {
  const std::unique_ptr<RegistryAccess> registry = OpenServiceRegistry(service);
  ClearFilterConfiguration(service);

  if (registry->KeyExists(kProductKey) && registry->OpenKeyReadOnly(kProductKey)) {
    ReadDebugLevel(service, *registry);
    ReadAppPath(service, *registry);
    ReadServiceLogoff(service, *registry);
    ReadCountLockedSessions(service, *registry);
    ReadEndSession(service, *registry);
    ReadGraceMinutes(service, *registry);
    ReadTimeZone(service, *registry);
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
      const UserValues values = ReadUserValues(*registry);
      registry->CloseKey();
      ReadDayFilters(service, values);
      ReadDayLimits(service, values);
    } else {
      WriteLogAt(service, 1, "ERROR: Unable to read settings for user:" + name);
      service.DayFilters.emplace_back();
      service.DayLimits.emplace_back();
    }
  }
}

}  // namespace

bool LoadSettings(ServiceState& service) {
  // What a load replaces, kept until it has run to its end: a load that fails part-way must not
  // leave the users of before with the tables of another (and their counts with another user).
  const int32_t debugLevel = service.DebugLevel;
  const std::string appPath = service.AppPath;
  const bool serviceLogoff = service.ServiceLogoff;
  const bool countLockedSessions = service.CountLockedSessions;
  const bool endSessionLock = service.EndSessionLock;
  const int32_t graceMinutes = service.GraceMinutes;
  const std::string timeZone = service.TimeZone;
  StringList users = service.RestrictedUsers;
  StringListTable filters = service.DayFilters;
  StringListTable limits = service.DayLimits;
  try {
    LoadSettingsSteps(service);
  } catch (const std::exception& error) {
    service.DebugLevel = debugLevel;
    service.AppPath = appPath;
    service.ServiceLogoff = serviceLogoff;
    service.CountLockedSessions = countLockedSessions;
    service.EndSessionLock = endSessionLock;
    service.GraceMinutes = graceMinutes;
    service.TimeZone = timeZone;
    service.RestrictedUsers = std::move(users);
    service.DayFilters = std::move(filters);
    service.DayLimits = std::move(limits);
    service.ReloadPending = true;
    WriteLogAt(service, 1, std::string("ERROR: Settings not read, those of before are kept: ") + error.what());
    return false;
  }
  service.ReloadPending = false;
  return true;
}

void ClearFilterConfiguration(ServiceState& service) {
  service.RestrictedUsers.Clear();
  service.DayFilters.clear();
  service.DayLimits.clear();
  WriteLogAt(service, 3, "Filter configuration cleared");
}

void ReadDebugLevel(ServiceState& service, RegistryAccess& registry) {
  if (const std::optional<int32_t> level = ReadIntegerValue(service, registry, kDebugValue)) {
    service.DebugLevel = *level;
    WriteLogAt(service, 2, "Debug level set to:" + std::to_string(service.DebugLevel));
  } else {
    service.DebugLevel = 2;
    WriteLogAt(service, 1, "ERROR: Debug level not in registry. Set to " + std::to_string(service.DebugLevel));
  }
}

void ReadAppPath(ServiceState& service, RegistryAccess& registry) {
  if (std::optional<std::string> path = ReadTextValue(service, registry, kPathValue)) {
    service.AppPath = std::move(*path);
    WriteLogAt(service, 2, "Application path:" + service.AppPath);
  } else {
    service.AppPath.clear();
    WriteLogAt(service, 1, "ERROR: Application path not set");
  }
}

void ReadServiceLogoff(ServiceState& service, RegistryAccess& registry) {
  // Anything but a stored 0 keeps it on: a mistyped value must not let a session stay open.
  service.ServiceLogoff = ReadIntegerValue(service, registry, kServiceLogoffValue).value_or(1) != 0;
  WriteLogAt(service, 2, std::string("Sessions ended by the service: ") + (service.ServiceLogoff ? "yes" : "no"));
}

void ReadCountLockedSessions(ServiceState& service, RegistryAccess& registry) {
  // Anything but a stored 0 counts every minute with a running program: a mistyped value must
  // not let minutes go uncounted.
  service.CountLockedSessions = ReadIntegerValue(service, registry, kCountLockedSessionsValue).value_or(1) != 0;
  WriteLogAt(service, 2, std::string("Minutes of locked and disconnected sessions counted: ") +
                             (service.CountLockedSessions ? "yes" : "no"));
}

void ReadEndSession(ServiceState& service, RegistryAccess& registry) {
  const std::string setting = ReadTextValue(service, registry, kEndSessionValue).value_or("");
  service.EndSessionLock = SameText(setting, kEndSessionLock);
  // An unknown word ends sessions as without the value: both hold the limit, and logging off is
  // what the service did before the value existed.
  if (!setting.empty() && !service.EndSessionLock && !SameText(setting, kEndSessionLogoff))
    WriteLogAt(service, 1, "ERROR: EndSession \"" + setting + "\" is neither lock nor logoff; sessions are logged off");
  WriteLogAt(service, 2, std::string("Sessions of held-back users: ") + (service.EndSessionLock ? "locked" : "logged off"));
}

void ReadGraceMinutes(ServiceState& service, RegistryAccess& registry) {
  service.GraceMinutes = std::max<int32_t>(0, ReadIntegerValue(service, registry, kGraceMinutesValue).value_or(kDefaultGraceMinutes));
  WriteLogAt(service, 2, "Minutes to save the work, once a day: " + std::to_string(service.GraceMinutes));
}

void ReadTimeZone(ServiceState& service, RegistryAccess& registry) {
  const std::string name = ReadTextValue(service, registry, kTimeZoneValue).value_or("");
  service.TimeZone.clear();
  if (name.empty()) return;
  const ServicePlatform& platform = service.Platform();
  std::string failure;
  if (const std::optional<std::string> problem = ZoneNameProblem(name)) {
    failure = *problem;
  } else if (platform.timeZones == nullptr) {
    failure = "no time zones to convert with";
  } else {
    const CallResult<DateTimeParts> now = platform.timeZones->LocalTime(name, DecodeDateTime(platform.clock->UtcNow()));
    if (now) {
      service.TimeZone = name;
      WriteLogAt(service, 2, "Time zone:" + name);
      return;
    }
    failure = now.Failure();
  }
  WriteLogAt(service, 1, "ERROR: Time zone \"" + name + "\" is not a zone of this computer; the system's zone is used");
  WriteLogAt(service, 1, failure);
}

void LoadTimeZone(ServiceState& service) {
  const std::unique_ptr<RegistryAccess> registry = service.Platform().openRegistry();
  if (!registry || !registry->KeyExists(kProductKey) || !registry->OpenKeyReadOnly(kProductKey)) return;
  ReadTimeZone(service, *registry);
  registry->CloseKey();
}

void ReadDayFilters(ServiceState& service, const UserValues& values) {
  StringList filters = DayFiltersOf(values);
  const int read = DaysBeforeGap(values);
  for (int day = 0; day < read; ++day) WriteLogAt(service, 3, DayValueName(day) + "=" + filters[day]);
  // A filter of another type counts as a missing one, and the missing one ends the days read.
  if (read < kDaysInWeek) ReportTypeError(service, values.days[read].typeError);
  if (read == kDaysInWeek) ReportTypeError(service, values.day7.typeError);
  for (int day = read; day < kDaysInWeek; ++day) WriteLogAt(service, 3, "Filling empty day: " + std::to_string(day));
  service.DayFilters.emplace_back(std::move(filters));
}

void ReadDayLimits(ServiceState& service, const UserValues& values) {
  ReportTypeError(service, values.dayLimit.typeError);
  StringList limits = DayLimitsOf(values);
  const std::optional<std::string> text = values.dayLimit.Usable();
  if (text)
    WriteLogAt(service, 3, "DayLimits: " + *text);
  else
    WriteLogAt(service, 1, "Unable to read user max day times");
  for (int day = SplitAtSpaces(text.value_or("")).Count(); day < kDaysInWeek; ++day)
    WriteLogAt(service, 3, "Filling max day time for empty day: " + std::to_string(day));
  service.DayLimits.emplace_back(std::move(limits));
}

int32_t CheckReloadRequest(ServiceState& service) {
  const std::unique_ptr<RegistryAccess> registry = OpenServiceRegistry(service);
  if (!registry->OpenKey(kProductKey)) {
    WriteLogAt(service, 2, "ERROR: Not possible to read settings flag");
    return 0;
  }
  const bool present = registry->ValueExists(kReadSettingsValue);
  const std::optional<int32_t> value = ReadIntegerValue(service, *registry, kReadSettingsValue);
  int32_t request = value.value_or(0);
  if (request != 0) WriteLogAt(service, 1, "Request to read user settings");
  // A value of another type is no request, but it is consumed like one, so that it is not
  // reported at every minute.
  if (request != 0 || (present && !value)) {
    try {
      registry->WriteInteger(kReadSettingsValue, 0);
    } catch (const RegistryError& error) {
      // A request that cannot be reset would reload the settings at every minute, and a minute
      // that reloads counts nobody's time: the request waits until the reset succeeds.
      WriteLogAt(service, 1, std::string("ERROR: Reload request not reset, so not honoured: ") + error.what());
      request = 0;
    }
  }
  registry->CloseKey();
  WriteLogAt(service, 3, "ReadSettings=" + std::to_string(request));
  return request;
}
