#pragma once

#include <string>

class ServiceState;

// Account blocking and logoff requests: carries out what the evaluation decides. A blocked
// account has no permitted logon hour, an unblocked one has all of them; the engine keeps no
// record of which accounts it has blocked and sets the hours outright at every call.

// Blocks (no logon hour) or unblocks (every hour) the local account of the user. A failure, a
// name longer than kMaxAccountNameLength included, shows only in the debug log.
void SetAccountBlocked(ServiceState& service, const std::string& userName, bool blocked);
// Follows up the logoff requests: clears every raised one ("Logoff" not 0) and, when at least one
// of those users still owns a running process, runs PrepareShutdown once after the last user. A
// user still logged on against the request for the second minute in a row has every session
// ended (or, with EndSession lock, disconnected) by the service (when ServiceLogoff is on). A
// user kept away by the lock (KeptAwayByLock) is not still logged on.
void CheckLogoffFlags(ServiceState& service);
// Enables the shutdown privilege in the service's own token; once enabled, says so and flushes
// the logs. Requests no shutdown: the machine and the service keep running.
void PrepareShutdown(ServiceState& service);
// Gives the account of every restricted user all logon hours back (the service stops).
void UnblockAllUsers(ServiceState& service);
// Takes every logon hour from the account of every restricted user (the system shuts down), so
// that a boot in which the service does not run, Safe Mode included, leaves them all blocked.
void BlockAllUsers(ServiceState& service);
