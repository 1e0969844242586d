#pragma once

#include <cstdint>
#include <optional>

#include "core/day_ledger.h"

class ServiceState;

// Usage accounting and the minute refresh: counts, per restricted user, the minute cycles of a
// day in which the user owns a running process, on the date the user's ledger of days gives for
// today (core/day_ledger.h), and starts the count afresh on a new day.

// Counts one minute for every restricted user a minute counts for (MinuteCountsFor: a running
// process, and with CountLockedSessions off a session in use) on the date the minute counts on:
// today (CycleNow as "dd.mm.yyyy") when it is in the user's ledger (its count goes on) or after
// every date in it (from 0: a new day); else, the clock having gone back, the latest date of the
// ledger; the debug log says at level 1 that the clock went back, once per change. Every
// well-formed record then carries that date and its count, and so does the ledger. Returns the
// change count: 1 per counted minute plus 1 per record whose date changed.
int UpdateSpentTimes(ServiceState& service);
// The date the user's minutes count on at CycleNow, by the rules above, and the minutes counted on
// it so far; nothing when the user's record is not well-formed.
std::optional<CountingDay> CurrentCount(ServiceState& service, int userIndex);
// Lowers the count of that date by up to minutes, never below 0, in the ledger and in the record
// when the record holds that date; returns the minutes taken off. Nothing is written.
int32_t LowerCurrentCount(ServiceState& service, int userIndex, int32_t minutes);
// The housekeeping of a one-minute cycle, run before the evaluation: learns where each user is
// at the computer (LearnSessionPresence), follows up the logoff requests, then either honours a
// reload request (settings and spent times read again, nothing counted) or counts the minute and
// writes the spent times when anything changed.
void MinuteRefresh(ServiceState& service);
