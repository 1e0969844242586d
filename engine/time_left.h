#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "settings/user_values.h"

// How long a restricted user who stays logged on may go on today, judged by the service's own
// rules from the values it keeps in the registry: once a minute the service holds a user back when
// the time of day lies in one of today's restricted periods or when the minutes spent today exceed
// today's allowance.

// Why the user is, or will next be, held back.
enum class HoldReason { kNone, kAllowance, kRestrictedPeriod };

struct TimeLeft {
  // The service holds the user back at this moment.
  bool heldBackNow = false;
  // Today's allowance less the minutes spent today (negative when over); nothing when today has no
  // allowance the service can count with (an entry that is not a decimal integer).
  std::optional<int> allowanceLeft;
  // Minutes from now to the first later minute, today or at midnight, that lies in a restricted
  // period, and that minute as the service renders it ("HH:mm"); nothing when there is none or
  // when a restricted period runs now.
  std::optional<int> minutesToRestriction;
  std::string restrictionStart;
  // Minutes until the service holds the user back: 0 when it does now, else the sooner of the
  // allowance left (when it runs out before midnight) and the next restricted period. Nothing
  // when neither holds the user back before the day ends.
  std::optional<int> minutesLeft;
  HoldReason reason = HoldReason::kNone;
};

// Judges the user at the local date-time now, comparing the filters as the service does. The
// minutes spent are those of the date the service counts them on now, against that date's
// allowance (settings/user_values.h).
TimeLeft ComputeTimeLeft(const UserValues& values, double now);
