#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/date_time.h"
#include "platform/string_list.h"
#include "settings/time_url.h"
#include "timesync/time_sync_platform.h"

class ServiceState;
struct ServicePlatform;

// An internet time more than this before the executable was built cannot be right: 48 hours.
inline constexpr double kBuildTimeMarginDays = 2.0;

// The time page's URL: the TimeUrl value, read through a read-only access of its own that is
// released before returning, or kDefaultTimeUrl when the value, the key or the registry opener is
// missing or the value is empty. A TimeUrl of another type is reported and taken as missing.
std::string TimePageUrl(ServiceState& service);

// The time an answer gives, or why it gives none.
struct AnswerTime {
  std::optional<double> utc;  // UTC, days since 1899-12-30
  std::string refusal;        // why an answer was not taken; empty when it simply held no time
  int level = 2;              // the debug level of the refusal
};

// The UTC date and time of an answer: the page's, for a 200 answer whose body holds one (its
// year taken from the reference, a UTC date-time); else the Date header's, for any 2xx or 3xx
// answer. Refused: an answer of another status, and a time more than kBuildTimeMarginDays before
// the build time (when that is known, not 0). No time and no refusal when the answer holds no
// time, or when the page's values form no valid date and time.
AnswerTime TimeOfAnswer(const TimePageResponse& response, const StringList& monthNames, double referenceUtc,
                        double buildTimeUtc);

// One fetch of the time page and the moment its answer came: the UTC clock and the tick count
// right after the read.
struct FetchedTimePage {
  TimePageResponse response;
  double readUtc = 0;
  uint64_t readTick = 0;
};

// Fetches the page at the URL through the platform's fetcher and notes the moment. It touches no
// state of the service, so it may run while other threads work on the service.
FetchedTimePage FetchTimePage(const ServicePlatform& platform, const std::string& url);

// How the caller has the fetch run: nothing when the service began to stop during the fetch, so
// its answer is not to be used.
using TimePageFetch = std::function<std::optional<FetchedTimePage>(const std::string& url)>;

// Reads the current UTC date and time from the time page and sets the system clock when it shows
// another time; either way the time is then confirmed (ConfirmTime). True when the clock was
// found right or was set; the caller keeps the result in TimeSynced. A false result leaves the
// clock alone. The fetch runs through `fetch`, or in place through the platform's fetcher when it
// is empty; a fetch that gives nothing ends the check with false and no message.
bool SyncInternetTime(ServiceState& service, const TimePageFetch& fetch = {});

// The record that sets the system clock to the UTC date and time.
SystemTimeRecord ToSystemTimeRecord(const DateTimeParts& utc);
