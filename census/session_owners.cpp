#include "census/session_owners.h"

#include <unordered_set>

#include "census/process_query.h"
#include "core/service_state.h"
#include "logging/logs.h"
#include "platform/session_control.h"

SessionOwners::SessionOwners(ServiceState& service, KnownSessionUserTable* remembered)
    : service_(service), remembered_(remembered) {}

void SessionOwners::ForgetEnded(const std::vector<SnapshotProcess>& snapshot) {
  if (remembered_ == nullptr || remembered_->empty()) return;
  std::unordered_set<ProcessKey, ProcessKeyHash> running;
  running.reserve(snapshot.size());
  for (const SnapshotProcess& process : snapshot) running.insert({process.id, process.creationTime});
  std::erase_if(*remembered_, [&](const auto& entry) { return !running.contains(entry.second.witness); });
}

std::string SessionOwners::UserOf(uint32_t sessionId, const ProcessKey& process, std::string& failure) {
  if (sessionId == kUnknownSession) {
    failure = "the system did not give its session";
    return {};
  }
  if (remembered_ != nullptr) {
    const auto known = remembered_->find(sessionId);
    if (known != remembered_->end()) return known->second.user;
  }
  auto [asked, first] = asked_.try_emplace(sessionId);
  if (first) {
    if (CallResult<std::string> user = service_.Platform().sessionControl->FindSessionUser(sessionId); user)
      asked->second.user = user.Value();
    else
      asked->second.failure = user.Failure();
    // A session without a user may be a logon screen that a user logs on to: asked again later.
    if (remembered_ != nullptr && !asked->second.user.empty())
      remembered_->insert({sessionId, {asked->second.user, process}});
  }
  failure = asked->second.failure;
  return asked->second.user;
}

std::string SessionOwners::OwnerOf(uint32_t pid, uint32_t sessionId, const ProcessKey& process) {
  std::string failure;
  std::string user = UserOf(sessionId, process, failure);
  if (user.size() > kOwnerNameWidth) user.resize(kOwnerNameWidth);
  // Written for every such process on every tick, so built only when the level asks for it.
  const int threshold = user.empty() ? 3 : 4;
  if (!LevelAllows(service_.DebugLevel, threshold)) return user;
  std::string line = "Process " + std::to_string(pid) + " of session " +
                     (sessionId == kUnknownSession ? std::string("?") : std::to_string(sessionId));
  if (!user.empty())
    line += " counted for " + user + ", the session's user: its owner cannot be read";
  else if (failure.empty())
    line += " belongs to nobody: its owner cannot be read and the session has no user";
  else
    line += " belongs to nobody: its owner cannot be read and neither can the session's user (" + failure + ")";
  WriteLog(service_, 0, line);
  return user;
}
