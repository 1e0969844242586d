#pragma once

#include <memory>

#include "base/date_time.h"
#include "settings/time_url.h"
#include "timesync/time_check.h"
#include "timesync/time_sync_platform.h"

class ServiceState;

// What the service asks for the time: the sources of the TimeUrl value, read through a read-only
// access of its own that is released before returning; the default addresses when the value, the
// key or the registry opener is missing or the value is empty. A TimeUrl of another type is
// reported and taken as missing.
TimeSources TimeSourcesOfService(ServiceState& service);

// Starts a check of the time and returns it under way: its fetches run through the platform's
// worker runner, so this never waits for a site. With TimeUrl "none" the check is finished at
// once and trusts the clock; without a fetcher, a clock setter or a runner it is finished at once
// and fails.
std::shared_ptr<PendingTimeCheck> StartTimeCheck(ServiceState& service);

// Reads the current UTC date and time from the answers of a finished check, logging the failed
// ones, and sets the system clock when it shows another time; either way the time is then
// confirmed (ConfirmTime). A check that trusts the clock confirms it as it is. True when the time
// is confirmed; the caller keeps the result in TimeSynced. A false result leaves the clock alone.
bool SyncInternetTime(ServiceState& service, const TimeCheckResult& result);

// The record that sets the system clock to the UTC date and time.
SystemTimeRecord ToSystemTimeRecord(const DateTimeParts& utc);
