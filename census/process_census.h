#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "census/process_query.h"

class ServiceState;
class SessionOwners;


// Runs one census of the running processes: rebuilds CurrentProcesses (one process line per
// process counted for an owner, in the system's order), LoggedOnUsers (their distinct owners) and
// LoggedOnSessions, appends an "O[" line to ProcessEvents for every process that appeared since
// the census before and an "X[" line for every one that disappeared, and keeps the lines in
// PreviousProcesses for the next census. Every process the system lists is considered, however
// many. A process whose owner cannot be read is counted for the user of its session. The
// processes come from one snapshot of the system, and only those seen for the first time are
// queried (census/snapshot_census.h); without a snapshot every listed process is queried with
// GetProcessInfo. When the processes cannot be listed, the lists stay empty, nothing is logged
// and PreviousProcesses keeps the last good census.
void UpdateProcessList(ServiceState& service);

// Queries one process for the census that asks every process: its owner's account name, the file
// name of its executable, its image path and its session. True when the process is counted for an
// owner: the one of its token, or else (after the message of the failed step) the user of its
// session, found through sessionOwners; false when it belongs to nobody. The owner is emptied at
// the start of every call; the other outputs are set on every call.
bool GetProcessInfo(ServiceState& service, SessionOwners& sessionOwners, uint32_t pid, std::string& owner,
                    std::string& moduleName, std::string& imagePath, uint32_t& sessionId);

