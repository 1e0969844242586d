#pragma once

#include <cstdint>
#include <optional>

#include "platform/date_time.h"
#include "timesync/time_sync_platform.h"

// The minutes to add to UTC to get local time: minus (Bias + StandardBias) in standard time,
// minus (Bias + DaylightBias) in daylight time, minus Bias in a zone without daylight saving
// time. Nothing when the query failed.
std::optional<int64_t> ZoneOffsetMinutes(const TimeZoneReading& reading);

// The local date and time of a UTC date and time at the offset, carried across minutes, hours,
// days, months and years; seconds and milliseconds are kept. Nothing when the year leaves 1..9999.
std::optional<DateTimeParts> UtcToLocal(const DateTimeParts& utc, int64_t offsetMinutes);

// The record that sets the local clock to the date and time.
SystemTimeRecord ToSystemTimeRecord(const DateTimeParts& local);
