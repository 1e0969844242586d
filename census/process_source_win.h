#pragma once

#include "census/process_source.h"

// The running processes as the process status and security calls of Windows report them.
class WindowsProcessSource : public ProcessSource {
 public:
  bool EnumerateProcessIds(std::vector<uint32_t>& ids) override;
  ProcessQueryResult QueryProcess(uint32_t processId, ProcessDetails& details) override;
};
