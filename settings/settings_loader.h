#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "settings/registry_access.h"

class ServiceState;
struct UserValues;

// The product key's values the loader reads: the debug level (REG_DWORD) and the folder of the
// logs (REG_SZ, ending in a backslash).
inline constexpr char kDebugValue[] = "Debug";
inline constexpr char kPathValue[] = "Path";

// The settings loader: turns the configuration in the registry into DebugLevel, AppPath,
// RestrictedUsers, DayFilters and DayLimits, and answers the reload request. A value of the
// wrong type is reported and taken as absent; a load that fails for any other reason (the users
// cannot all be listed, say) keeps the settings of before.

// The value name of the reload request.
inline constexpr char kReadSettingsValue[] = "ReadSettings";
// The value that lets the service end the sessions of a user who stays logged on against the
// logoff request (REG_DWORD; absent or anything but 0: on).
inline constexpr char kServiceLogoffValue[] = "ServiceLogoff";
// The value that has the minutes of locked and disconnected sessions counted (REG_DWORD; absent or
// anything but 0: counted; 0: a minute counts only while the user uses the computer).
inline constexpr char kCountLockedSessionsValue[] = "CountLockedSessions";
// How the session of a held-back user ends (REG_SZ): "lock" keeps it, locked or disconnected;
// absent or "logoff" logs it off. Any other text logs it off too, and the debug log says so.
inline constexpr char kEndSessionValue[] = "EndSession";
inline constexpr char kEndSessionLock[] = "lock";
inline constexpr char kEndSessionLogoff[] = "logoff";
// The minutes of the grace to save one's work, once a day (REG_DWORD; absent: 5; 0: none).
inline constexpr char kGraceMinutesValue[] = "GraceMinutes";
inline constexpr int32_t kDefaultGraceMinutes = 5;
// The optional REG_SZ value of the product key with the key name of the administrator's time
// zone ("W. Europe Standard Time").
inline constexpr char kTimeZoneValue[] = "TimeZone";

// The path of a restricted user's key: the restrictions key with the name appended.
std::string UserKeyPath(const std::string& userName);
// A fresh access object from the service's platform; every store operation takes its own.
std::unique_ptr<RegistryAccess> OpenServiceRegistry(ServiceState& service);

// Rebuilds DebugLevel, AppPath and TimeZone (only when the product key can be read) and the tables of the
// restricted users from the registry. A user whose key does not open gets an empty slot. True
// when the load ran to its end; otherwise every setting is as before, ReloadPending is set and
// the failure is logged at level 1.
bool LoadSettings(ServiceState& service);
// Consumes the reload request: the value of ReadSettings (0 when absent, of another type or when
// the product key does not open), reset to 0 in the registry when it was not 0 or of another
// type. A request that cannot be reset reads as 0. Creates the product key when absent.
int32_t CheckReloadRequest(ServiceState& service);

// The steps of LoadSettings.
// Empties RestrictedUsers, DayFilters and DayLimits.
void ClearFilterConfiguration(ServiceState& service);
// DebugLevel from "Debug" of the open product key, 2 when it is missing.
void ReadDebugLevel(ServiceState& service, RegistryAccess& registry);
// AppPath from "Path" of the open product key, verbatim; empty when it is missing.
void ReadAppPath(ServiceState& service, RegistryAccess& registry);
// ServiceLogoff from "ServiceLogoff" of the open product key: off only when it holds 0.
void ReadServiceLogoff(ServiceState& service, RegistryAccess& registry);
// CountLockedSessions from "CountLockedSessions" of the open product key: off only when it holds 0.
void ReadCountLockedSessions(ServiceState& service, RegistryAccess& registry);
// EndSessionLock from "EndSession" of the open product key: on only for "lock" (in any case).
void ReadEndSession(ServiceState& service, RegistryAccess& registry);
// GraceMinutes from "GraceMinutes" of the open product key: kDefaultGraceMinutes when missing; a
// negative number counts as 0 (none).
void ReadGraceMinutes(ServiceState& service, RegistryAccess& registry);
// TimeZone from "TimeZone" of the open product key: the name when it is a zone of this computer;
// empty (the system's zone) when the value is missing or empty, and, with a level-1 message,
// when it names no zone here.
void ReadTimeZone(ServiceState& service, RegistryAccess& registry);
// ReadTimeZone through a read-only access of its own, released before returning, so that the
// service's first lines are stamped in the administrator's zone already. Nothing changes when
// there is no registry to open or no product key.
void LoadTimeZone(ServiceState& service);
// Appends the day filters of a user's values to DayFilters: "Day0", "Day1", ... up to the first
// missing name, then empty filters up to Sunday.
void ReadDayFilters(ServiceState& service, const UserValues& values);
// Appends the allowances of a user's values to DayLimits: the space-separated pieces of
// "DayLimit", then "1440" up to Sunday.
void ReadDayLimits(ServiceState& service, const UserValues& values);
