#pragma once

#include <string>

#include "base/call_result.h"
#include "base/date_time.h"

// The time zones of the machine, named by their key names under
// HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones ("W. Europe Standard Time").

class TimeZones {
 public:
  virtual ~TimeZones() = default;
  // The date and time in the named zone at the UTC date and time, by the zone's rules for that
  // year, daylight saving time included; the failure (the call and its code) when the zone is not
  // one of this machine or the conversion failed.
  virtual CallResult<DateTimeParts> LocalTime(const std::string& zoneKey, const DateTimeParts& utc) const = 0;
  // The key name of the system's zone, the one a standard user may change; empty when it cannot
  // be read.
  virtual std::string SystemZoneKey() const = 0;
};
