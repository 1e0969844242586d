#pragma once

#include <vector>

#include "census/process_source.h"

class ServiceState;

// Builds CurrentProcesses, LoggedOnUsers and LoggedOnSessions from one snapshot of the system, as
// the census of one process after the other would: every process of the snapshot in its order,
// the id 0 skipped. Only processes seen for the first time are queried, and what a query learnt
// serves for the rest of the process's life from KnownProcesses: its line, or, for a process
// whose owner could not be read, its executable and the messages of the failed step, written
// again on every census, and the process is counted for the user of its session (SessionOwners).
// Processes that have ended are dropped from KnownProcesses, owners no remembered process has
// any more from KnownOwners.
void ListFromSnapshot(ServiceState& service, ProcessSource& source, const std::vector<SnapshotProcess>& snapshot);
