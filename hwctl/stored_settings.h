#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/registry_access.h"
#include "settings/stored_formats.h"
#include "settings/user_values.h"
#include "settings/value_reads.h"

// The configuration as the registry holds it, values of the wrong type included, and what the
// service makes of it (it takes such a value as missing).

// One restricted user's key: its values as found (settings/user_values.h).
struct StoredUser : UserValues {
  std::string name;       // the key's name, as the registry spells it
  bool readable = false;  // the key opened read-only
};

// The product key's values.
struct StoredProduct {
  bool keyExists = false;
  bool readable = false;
  StoredNumber debug;
  StoredText path;
  StoredNumber readSettings;
  StoredText timeUrl;
  StoredNumber serviceLogoff;
  StoredText timeZone;
  StoredNumber countLockedSessions;
  StoredText endSession;
  StoredNumber graceMinutes;
};

// Whether the service ends the sessions of a user who stays logged on against the logoff request:
// unless ServiceLogoff holds 0.
inline bool ServiceEndsSessions(const StoredProduct& product) {
  return !(product.serviceLogoff.present && product.serviceLogoff.typeError.empty() &&
           product.serviceLogoff.number == 0);
}

// Whether the service counts the minutes of locked and disconnected sessions: unless
// CountLockedSessions holds 0.
inline bool CountsLockedSessions(const StoredProduct& product) {
  return !(product.countLockedSessions.present && product.countLockedSessions.typeError.empty() &&
           product.countLockedSessions.number == 0);
}

// Whether the service keeps a held-back user's sessions, locked or disconnected: only when
// EndSession is a string holding "lock" (in any letter case).
bool EndSessionLocks(const StoredProduct& product);

struct StoredConfiguration {
  StoredProduct product;
  bool restrictionsKeyExists = false;
  bool restrictionsReadable = false;  // the restrictions key opened read-only (false when absent)
  std::vector<StoredUser> users;      // in the registry's enumeration order
};

// The registry path written for people: "HKLM\SOFTWARE\...\alice", no trailing backslash.
std::string DisplayKey(const std::string& path);

// Reads the product key, the restrictions key and every user key through read-only opens.
StoredConfiguration ReadStoredConfiguration(RegistryAccess& registry);
// TimeZone of the product key as found, through a read-only open; absent when the key is.
StoredText ReadStoredTimeZone(RegistryAccess& registry);
// The user's key under the restrictions key, found without regard to letter case; nothing when
// there is none.
std::optional<StoredUser> ReadStoredUser(RegistryAccess& registry, const std::string& name);

// The first value of the user of the wrong type, which the service takes as missing, as the
// registry's message; nothing when every value has its type.
std::optional<std::string> FirstTypeError(const StoredUser& user);

// The seven day filters the service reads: Day0, Day1, ... up to the first missing one, then
// empty filters; a value of the wrong type counts as missing.
std::optional<std::array<std::string, kDaysInWeek>> EffectiveFilters(const StoredUser& user);
// The seven allowance texts the service reads from DayLimit, "1440" for every missing one.
// A DayLimit that is not a string value gives 1440 for every day.
std::optional<std::array<std::string, kDaysInWeek>> EffectiveLimits(const StoredUser& user);
// The lines of SpentDays the service takes as absent, each with why; none when it is absent.
std::vector<std::string> LedgerProblems(const StoredUser& user);
