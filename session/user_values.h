#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "settings/registry_access.h"
#include "settings/user_values.h"

// What the registry holds for one restricted user, as the session tool reads it: the values the
// service judges the user by (settings/user_values.h) and the parent's code. The tool only ever
// reads them.
struct SessionUserValues {
  UserValues user;
  // The parent's code: the most minutes a day by code ("CodeMaxMinutes", 60 when missing), the
  // minutes one code gives ("CodeMinutes" of the user's key, else of the product key, else 30),
  // and those given on a date ("CodeGiven", "CodeDate"). The tool never reads the secret.
  int32_t codeMaxMinutes = 60;
  int32_t codeMinutes = 30;
  int32_t codeGiven = 0;
  std::string codeDate;
  // The product key's EndSession holds "lock": the session is locked when the time is up.
  bool endSessionLock = false;
};

// The values of the user's key (the restrictions key with the account name appended; the registry
// matches the name without regard to case), and the product key's CodeMinutes and EndSession,
// opened read-only.
// Nothing when the user's key does not open: the user is not restricted, or may not read it. A
// value of the wrong type counts as missing.
std::optional<SessionUserValues> ReadSessionUserValues(RegistryAccess& registry, const std::string& userName);
