#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "census/process_changes.h"

class ServiceState;

// Builds the lists of one census: CurrentProcesses, in LoggedOnUsers the distinct owners in order
// of first appearance (each with the letter case of its first process), and in LoggedOnSessions
// the sessions of each owner's processes.
class CensusLists {
 public:
  // Empties CurrentProcesses, LoggedOnUsers and LoggedOnSessions.
  explicit CensusLists(ServiceState& service);
  // Appends a process line, its owner when new to this census, and the process's session to the
  // owner's sessions.
  void Add(std::string line, const std::string& owner, uint32_t sessionId);

 private:
  ServiceState& service_;
  // The position of each owner in LoggedOnUsers.
  std::unordered_map<std::string, int, CaseInsensitiveHash, CaseInsensitiveEqual> owners_;
};
