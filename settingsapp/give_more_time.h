#pragma once

#include <string>

#include "settings/registry_access.h"

// "Give more time today" of the settings window: the minutes the parent typed, checked as hwctl
// grant checks them, given back on the date the account's minutes count on now, then ReadSettings
// raised so the service takes the lower count at its next minute. Written at once: it is an
// action, not a setting waiting for OK.

struct GiveMoreTimeResult {
  bool given = false;
  std::string message;  // for the parent: what was given, or why nothing was
};

GiveMoreTimeResult GiveMoreTime(RegistryAccess& registry, const std::string& account, double now,
                                const std::string& minutesText);
