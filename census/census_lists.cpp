#include "census/census_lists.h"

#include <utility>

#include "core/service_state.h"

CensusLists::CensusLists(ServiceState& service) : service_(service) {
  service_.CurrentProcesses.Clear();
  service_.LoggedOnUsers.Clear();
}

void CensusLists::Add(std::string line, const std::string& owner) {
  service_.CurrentProcesses.Add(std::move(line));
  if (owners_.insert(owner).second) service_.LoggedOnUsers.Add(owner);
}
