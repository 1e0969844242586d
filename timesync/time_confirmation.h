#pragma once

#include <cstdint>

#include "core/service_state.h"

// A time confirmed from the internet is believed while the clock keeps step with the tick count,
// which nobody can set: a clock moved while the service runs shows at the next minute cycle.

// How far the clock may drift from the tick count before it counts as moved: 2 minutes.
inline constexpr int64_t kClockStepToleranceMs = 2 * 60 * 1000;
// How long a confirmed time goes before it is checked against the internet again: 6 hours.
inline constexpr uint64_t kTimeRecheckMs = 6ull * 60 * 60 * 1000;
// How long after a failed check the next one is made: 15 minutes.
inline constexpr uint64_t kTimeRecheckRetryMs = 15ull * 60 * 1000;

// Keeps the UTC date-time and the tick count of that moment as the confirmed time; the next
// check against the internet falls due kTimeRecheckMs later.
void ConfirmTime(ServiceState& service, double utc, uint64_t tick);
// The milliseconds by which the clock has moved against the tick count since the confirmation:
// positive when it was set ahead, negative when it was set back.
int64_t ClockMovedMilliseconds(const ServiceState::ConfirmedTime& confirmed, double utcNow, uint64_t tickNow);
// True while the clock keeps step with the tick count since the confirmation, within
// kClockStepToleranceMs either way. Otherwise false, with a level-1 message saying how far it
// was moved.
bool ConfirmedTimeBelievable(ServiceState& service);
// True when the confirmed time is due to be checked against the internet again.
bool TimeRecheckDue(const ServiceState& service);
// Makes the next check fall due kTimeRecheckRetryMs from now, after one that failed.
void PostponeTimeRecheck(ServiceState& service);
