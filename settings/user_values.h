#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/day_ledger.h"
#include "base/string_list.h"
#include "settings/registry_access.h"
#include "settings/stored_formats.h"
#include "settings/value_reads.h"

// The one reader of a restricted user's values, for the service, the session tool and hwctl: what
// the user's key holds, each value with its problem, and the rules by which the service takes
// them. A value of the wrong type counts as missing throughout. Nothing is logged here: the
// service logs the problems, hwctl check names them, the session tool uses the values.

// The values of a user's key as the registry holds them.
struct UserValues {
  std::array<StoredText, kDaysInWeek> days;  // Day0 (Monday) .. Day6 (Sunday)
  StoredText day7;                           // read after an unbroken Day0..Day6, used by no weekday
  StoredText dayLimit;
  StoredNumber spentTime;  // the count the service is adding to now ...
  StoredText timeStamp;    // ... and its date, "dd.mm.yyyy"
  StoredNumber logoff;
  StoredStrings spentDays;  // the ledger of days
};

// The values of the open key (whatever its open mode).
UserValues ReadUserValues(RegistryAccess& registry);

// How many of Day0, Day1, ... Day7 the service reads: up to the first missing one or one of the
// wrong type (the gap).
int DaysBeforeGap(const UserValues& values);
// The day filters: the days before the gap, then empty filters up to Sunday (at least seven).
StringList DayFiltersOf(const UserValues& values);
// The allowances: DayLimit's pieces between spaces, "1440" for every day missing (at least seven).
StringList DayLimitsOf(const UserValues& values);
// The logoff request: Logoff, 0 when missing.
int32_t LogoffOf(const UserValues& values);
// The ledger: the lines of SpentDays with the current count (SpentTime) on its date (TimeStamp,
// when it is a date; an empty one stands for the date emptyStampMeans), and the lines taken as
// absent. Without a SpentTime the ledger's line of that date stands, or the date counts 0.
LedgerReading LedgerOf(const UserValues& values, double emptyStampMeans);
// The date a minute of the date today counts on and the minutes counted on it so far, as the
// service's day test finds them (a TimeStamp left empty stands for today).
CountingDay CountingDayOf(const UserValues& values, double today);
// The allowance of the date's weekday in minutes; nothing when DayLimit's piece of that day is no
// decimal integer (the service then never finds it exceeded).
std::optional<int32_t> AllowanceOn(const UserValues& values, int32_t date);
