#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/registry_access.h"
#include "settings/user_values.h"

// More time today, given by a parent (hwctl grant, the settings window): the count of the date the
// minutes go on now is lowered, never below 0, in SpentTime and in the ledger of days alike.

struct TimeGrant {
  bool nothingCounted = false;  // no minutes counted on that date: nothing to give back
  int32_t date = 0;             // the date the minutes go on now
  int32_t counted = 0;          // its minutes before
  int32_t given = 0;            // the minutes taken off
  int32_t left = 0;             // its minutes after
  std::vector<std::string> ledgerLines;  // SpentDays after
};

// The grant of the minutes on the user's values at the local date-time now.
TimeGrant PlanTimeGrant(const UserValues& values, double now, int32_t minutes);
// Writes SpentTime, TimeStamp and SpentDays of the grant to the open user key.
void WriteTimeGrant(RegistryAccess& registry, const TimeGrant& grant);
