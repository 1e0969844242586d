#pragma once

#include <optional>
#include <string>

#include "base/date_time.h"

// The time zones of the machine, named by their key names under
// HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones ("W. Europe Standard Time").

// What one conversion gave: the local date and time, or the call that failed and its error code.
struct ZoneTime {
  std::optional<DateTimeParts> local;
  std::string failure;
};

class TimeZones {
 public:
  virtual ~TimeZones() = default;
  // The date and time in the named zone at the UTC date and time, by the zone's rules for that
  // year, daylight saving time included. No local time when the zone is not one of this machine.
  virtual ZoneTime LocalTime(const std::string& zoneKey, const DateTimeParts& utc) const = 0;
  // The key name of the system's zone, the one a standard user may change; empty when it cannot
  // be read.
  virtual std::string SystemZoneKey() const = 0;
};
