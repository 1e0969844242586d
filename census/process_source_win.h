#pragma once

#include <vector>

#include "census/process_snapshot_win.h"
#include "census/process_source.h"

// The running processes as the process and security calls of Windows report them, and the
// system's process snapshot. Processes are opened for a limited query only, which reads the
// kernel's records of a process and never its memory.
class WindowsProcessSource : public ProcessSource {
 public:
  bool EnumerateProcessIds(std::vector<uint32_t>& ids) override;
  bool TakeSnapshot(std::vector<SnapshotProcess>& processes, std::string& failure) override;
  ProcessQueryResult QueryProcess(uint32_t processId, ProcessDetails& details) override;
  bool FindProcessSession(uint32_t processId, uint32_t& sessionId, std::string& failure) override;
  bool FindAccountName(const std::string& sid, std::string& account, std::string& failure) override;

 private:
  SystemProcessSnapshot snapshot_;
  std::vector<wchar_t> pathBuffer_;  // room for the longest image path, kept between queries
};
