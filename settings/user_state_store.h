#pragma once

#include <cstdint>
#include <string>

class ServiceState;

// The per-user state store: the minutes each restricted user has spent and the date they belong
// to (SpentTimes, registry values "SpentTime" and "TimeStamp"), the ledger of the minutes of every
// date counted in the last 62 days (SpentDays, registry value "SpentDays"), and the per-user logoff request
// ("Logoff"), which lives only in the registry. A value of the wrong type is reported and taken
// as absent, and a refused write is reported: neither ends an operation, so every other user is
// still read or written. Reading a logoff request never creates a user key that has gone (its
// user is being removed); the writes of the service's own state do create a missing key.

// Rebuilds SpentTimes from the registry, one entry of two texts (minutes, "dd.mm.yyyy" or empty)
// per restricted user, and SpentDays, the ledger with that count on its date. An empty TimeStamp
// stands for the cycle date; a missing one leaves the date empty. A SpentTime that is missing or
// of the wrong type leaves the ledger's count of the date standing. Lines of the ledger that are
// no "dd.mm.yyyy=N" are logged at level 1 and taken as absent.
void ReadSpentTimes(ServiceState& service);
// Writes every entry of SpentTimes to its user's key, with the user's ledger (holding that count
// on its date, pruned to 62 days); a refused write of one user is logged at level 1 and the count
// stays in memory for the next write.
void WriteSpentTimes(ServiceState& service);
// The user's logoff request ("Logoff"), 0 when absent or the key is absent or does not open.
int32_t ReadLogoffFlag(ServiceState& service, const std::string& userName);
// Stores the user's logoff request; true when it was written.
bool WriteLogoffFlag(ServiceState& service, const std::string& userName, int32_t value);
