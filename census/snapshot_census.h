#pragma once

#include <vector>

#include "census/process_source.h"

class ServiceState;

// Builds CurrentProcesses and LoggedOnUsers from one snapshot of the system, as the census of
// one process after the other would: the first kProcessIdTableSize processes of the snapshot in
// its order, the id 0 skipped. Only processes seen for the first time are queried; a process
// that answered, or that could not be opened, is served from KnownProcesses for the rest of its
// life, its messages written again on every census. A query that stopped at a later step is
// asked again at the next census, as a process caught while it starts (a suspended one, say)
// cannot show its modules yet. Processes that have ended are dropped from KnownProcesses, and
// owners no remembered process has any more from KnownOwners.
void ListFromSnapshot(ServiceState& service, ProcessSource& source, const std::vector<SnapshotProcess>& snapshot);
