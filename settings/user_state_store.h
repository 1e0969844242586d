#pragma once

#include <cstdint>
#include <string>

class ServiceState;

// The per-user state store: the minutes each restricted user has spent and the date they belong
// to (SpentTimes, registry values "SpentTime" and "TimeStamp"), and the per-user logoff request
// ("Logoff"), which lives only in the registry. A value of the wrong type, a refused write or a
// stored minute count that is not a decimal integer ends an operation with RegistryError, which
// is not caught here: what was already done stays done and the error reaches the caller.
// A user key that no longer exists is never created again: its user is being removed.

// Rebuilds SpentTimes from the registry, one entry of two texts (minutes, "dd.mm.yyyy" or empty)
// per restricted user. An empty TimeStamp stands for the cycle date; a missing one leaves the date
// empty.
void ReadSpentTimes(ServiceState& service);
// Writes every entry of SpentTimes to its user's key; a user whose key is gone is skipped.
void WriteSpentTimes(ServiceState& service);
// The user's logoff request ("Logoff"), 0 when absent or the key is absent or does not open.
int32_t ReadLogoffFlag(ServiceState& service, const std::string& userName);
// Stores the user's logoff request; true when the user's key exists and could be opened.
bool WriteLogoffFlag(ServiceState& service, const std::string& userName, int32_t value);
