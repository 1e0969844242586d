#pragma once

#include <optional>
#include <string>

#include "platform/date_time.h"
#include "platform/string_list.h"
#include "timesync/time_sync_platform.h"

class ServiceState;

// The optional REG_SZ value of the product key that holds the time page's URL.
inline constexpr char kTimeUrlValue[] = "TimeUrl";
// The URL used when TimeUrl is absent or empty. Windows itself asks this host over plain HTTP
// whether a network reaches the internet, so every network that does lets the request through.
// It serves no time page, and its answer's Date header gives the time.
inline constexpr char kDefaultTimeUrl[] = "http://www.msftconnecttest.com/cgi-bin/timer.pl";

// The time page's URL: the TimeUrl value, read through a read-only access of its own that is
// released before returning, or kDefaultTimeUrl when the value, the key or the registry opener is
// missing or the value is empty. A TimeUrl of another type is reported and taken as missing.
std::string TimePageUrl(ServiceState& service);

// The UTC date and time a response gives: the page's, or, when the body holds no usable page (no
// "<PRE>", no "UTC" after it, too few values), the Date header's. Nothing when the page's values
// form no valid date and time, or when the body holds no page and the header no date.
std::optional<DateTimeParts> ResponseUtcTime(const TimePageResponse& response, const StringList& monthNames,
                                             const DateTimeParts& localNow);

// Reads the current UTC date and time from the time page, converts them to local time and sets
// the local clock when it shows another time. True when the clock was found right or was set;
// the caller keeps the result in TimeSynced. A false result leaves the clock alone.
bool SyncInternetTime(ServiceState& service);
