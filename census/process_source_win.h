#pragma once

#include "census/process_snapshot_win.h"
#include "census/process_source.h"

// The running processes as the process status and security calls of Windows report them, and
// the system's process snapshot.
class WindowsProcessSource : public ProcessSource {
 public:
  bool EnumerateProcessIds(std::vector<uint32_t>& ids) override;
  bool TakeSnapshot(std::vector<SnapshotProcess>& processes, std::string& failure) override;
  ProcessQueryResult QueryProcess(uint32_t processId, ProcessDetails& details) override;
  ProcessQueryResult QueryNewProcess(uint32_t processId, ProcessDetails& details) override;
  bool FindAccountName(const std::string& sid, std::string& account, std::string& failure) override;

 private:
  SystemProcessSnapshot snapshot_;
};
