#include "census/census_lists.h"

#include <algorithm>
#include <utility>

#include "core/service_state.h"

CensusLists::CensusLists(ServiceState& service) : service_(service) {
  service_.CurrentProcesses.Clear();
  service_.LoggedOnUsers.Clear();
  service_.LoggedOnSessions.clear();
}

void CensusLists::Add(std::string line, const std::string& owner, uint32_t sessionId) {
  service_.CurrentProcesses.Add(std::move(line));
  const auto [entry, added] = owners_.try_emplace(owner, service_.LoggedOnUsers.Count());
  if (added) {
    service_.LoggedOnUsers.Add(owner);
    service_.LoggedOnSessions.emplace_back();
  }
  // An owner's processes run in one session or a few: a search of the short list is enough.
  std::vector<uint32_t>& sessions = service_.LoggedOnSessions[static_cast<size_t>(entry->second)];
  if (std::find(sessions.begin(), sessions.end(), sessionId) == sessions.end()) sessions.push_back(sessionId);
}
