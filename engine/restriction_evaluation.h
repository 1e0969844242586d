#pragma once

#include <string>

class ServiceState;

// Restriction evaluation: once per cycle decides for every restricted user whether the user is
// held back (time not confirmed, a restricted period of today, or today's allowance exceeded),
// and blocks or unblocks the account accordingly.

// One pass over RestrictedUsers in list order: a held-back user's account is blocked and, when
// the user owns a running process, the logoff request is raised (PrepareShutdown when it cannot
// be written), unless EndSession lock keeps the user away already (KeptAwayByLock) or the user's
// grace to save the work runs (InGrace); every other account is unblocked.
void EvaluateRestrictions(ServiceState& service);
// The pass made when the time has just been confirmed: as EvaluateRestrictions, and the logoff
// request of every user it finds free is withdrawn (with the minutes still logged on against it),
// since only the unconfirmed time can have raised it: a check that takes a few seconds at a start
// must not end anybody's session.
void EvaluateAtConfirmedTime(ServiceState& service);
// CheckTimeFilter plus CheckTimeLimit for the user (0, 1 or 2); both checks always run, the
// filter first.
int CountRestrictions(ServiceState& service, const std::string& userName);
// 1 when the time of day of CycleNow lies in one of the user's restricted periods of DayIndex,
// else 0 (also for a name that is not restricted).
int CheckTimeFilter(ServiceState& service, const std::string& userName);
// 1 when the user's spent minutes exceed the allowance of the weekday of their date (DayIndex when
// the record holds no date), else 0 (also for a name that is not restricted, and when either
// number is missing or not a decimal integer).
int CheckTimeLimit(ServiceState& service, const std::string& userName);
