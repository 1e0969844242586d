#pragma once

#include <string>

#include "platform/clock.h"
#include "platform/time_zones.h"

// The local date-time in the zone at the UTC date-time. With no zone named, or no zones at hand,
// or a conversion that fails, the system's zone: the UTC date-time moved by the difference the
// clock's local and UTC readings show now.
double LocalTimeIn(const Clock& clock, const TimeZones* zones, const std::string& zoneKey, double utc);
// The current local date-time in the zone; the system's local clock where LocalTimeIn falls back.
double LocalNowIn(const Clock& clock, const TimeZones* zones, const std::string& zoneKey);
