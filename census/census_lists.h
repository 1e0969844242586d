#pragma once

#include <string>
#include <unordered_set>

#include "census/process_changes.h"

class ServiceState;

// Builds the lists of one census: CurrentProcesses, and in LoggedOnUsers the distinct owners in
// order of first appearance, each with the letter case of its first process.
class CensusLists {
 public:
  // Empties CurrentProcesses and LoggedOnUsers.
  explicit CensusLists(ServiceState& service);
  // Appends a process line and, when it is new to this census, its owner.
  void Add(std::string line, const std::string& owner);

 private:
  ServiceState& service_;
  std::unordered_set<std::string, CaseInsensitiveHash, CaseInsensitiveEqual> owners_;
};
