#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"
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

// The room of a zone's key name, without its terminating NUL.
inline constexpr size_t kMaxZoneKeyLength = 127;

// Why the text cannot be a zone's key name: it is empty or too long, or holds a backslash (which
// would name another key), a control character or one beyond ASCII. Nothing when it can.
std::optional<std::string> ZoneNameProblem(std::string_view name);

// The local date-time in the zone at the UTC date-time. With no zone named, or no zones at hand,
// or a conversion that fails, the system's zone: the UTC date-time moved by the difference the
// clock's local and UTC readings show now.
double LocalTimeIn(const Clock& clock, const TimeZones* zones, const std::string& zoneKey, double utc);
// The current local date-time in the zone; the system's local clock where LocalTimeIn falls back.
double LocalNowIn(const Clock& clock, const TimeZones* zones, const std::string& zoneKey);
