#pragma once

#include <vector>

#include "census/process_snapshot_win.h"
#include "census/process_source.h"

// The running processes as the process and security calls of Windows report them, and the
// system's process snapshot. Processes are opened for a limited query only, which reads the
// kernel's records of a process and never its memory.
class WindowsProcessSource : public ProcessSource {
 public:
  CallResult<std::vector<uint32_t>> EnumerateProcessIds() override;
  CallResult<std::vector<SnapshotProcess>> TakeSnapshot() override;
  ProcessQueryResult QueryProcess(uint32_t processId, ProcessDetails& details) override;
  CallResult<uint32_t> FindProcessSession(uint32_t processId) override;
  CallResult<std::string> FindAccountName(const std::string& sid) override;

 private:
  SystemProcessSnapshot snapshot_;
  std::vector<wchar_t> pathBuffer_;  // room for the longest image path, kept between queries
};
