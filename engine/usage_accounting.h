#pragma once

class ServiceState;

// Usage accounting and the minute refresh: counts, per restricted user, the minute cycles of a
// day in which the user owns a running process, and starts the count afresh on a new day.

// Counts one minute for every restricted user a minute counts for (MinuteCountsFor: a running
// process, and with CountLockedSessions off a session in use) and resets a count dated
// before today (CycleNow as "dd.mm.yyyy"), or not dated in that form, to 0. A count dated after
// today (written while the clock was ahead) is kept. Every well-formed record then carries
// today's date. Returns the change count: 1 per counted minute plus 1 per record whose date
// changed.
int UpdateSpentTimes(ServiceState& service);
// The housekeeping of a one-minute cycle, run before the evaluation: learns where each user is
// at the computer (LearnSessionPresence), follows up the logoff requests, then either honours a
// reload request (settings and spent times read again, nothing counted) or counts the minute and
// writes the spent times when anything changed.
void MinuteRefresh(ServiceState& service);
