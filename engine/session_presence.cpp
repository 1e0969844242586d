#include "engine/session_presence.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "core/service_state.h"
#include "logging/logs.h"
#include "platform/session_control.h"

namespace {

// What a session with a user is doing now.
enum class SessionUse { kActive, kLocked, kDisconnected };

SessionUse UseOf(const UserSession& session) {
  if (session.connection == SessionConnection::kDisconnected) return SessionUse::kDisconnected;
  if (session.lock == SessionLock::kLocked) return SessionUse::kLocked;
  return SessionUse::kActive;  // unlocked, or its lock or state unknown
}

void Count(SessionPresence& presence, SessionUse use) {
  switch (use) {
    case SessionUse::kActive:
      ++presence.activeSessions;
      break;
    case SessionUse::kLocked:
      ++presence.lockedSessions;
      break;
    case SessionUse::kDisconnected:
      ++presence.disconnectedSessions;
      break;
  }
}

// The user's entry of the table, added when missing.
SessionPresence& EntryOf(SessionPresenceTable& table, const std::string& user) {
  for (SessionPresence& presence : table) {
    if (SameText(presence.user, user)) return presence;
  }
  table.push_back({});
  table.back().user = user;
  return table.back();
}

// A session with a user, as the minute's list gave it.
struct UsedSession {
  std::string user;
  SessionUse use;
};

}  // namespace

void LearnSessionPresence(ServiceState& service) {
  SessionPresenceTable table;
  const CallResult<std::vector<UserSession>> sessions = service.Platform().sessionControl->ListSessions();
  if (!sessions) {
    WriteLogAt(service, 1, "ERROR: Sessions not listed, every user with a running program counts as using the "
                           "computer: " + sessions.Failure());
    for (const std::string& user : service.LoggedOnUsers) EntryOf(table, user).unknown = true;
    service.SessionPresences = std::move(table);
    return;
  }

  std::map<uint32_t, UsedSession> used;
  for (const UserSession& session : sessions.Value()) {
    if (session.userName.empty()) continue;
    if (!session.stateFailure.empty())
      WriteLogAt(service, 3, "State of session " + std::to_string(session.id) +
                                 " not read, taken as active and unlocked: " + session.stateFailure);
    const SessionUse use = UseOf(session);
    used[session.id] = {session.userName, use};
    Count(EntryOf(table, session.userName), use);
  }
  for (int i = 0; i < service.LoggedOnUsers.Count(); ++i) {
    const std::string& user = service.LoggedOnUsers[i];
    SessionPresence& presence = EntryOf(table, user);
    if (static_cast<size_t>(i) >= service.LoggedOnSessions.size()) {
      presence.outsideSessions = true;  // the census did not say where: taken as in use
      continue;
    }
    for (const uint32_t sessionId : service.LoggedOnSessions[static_cast<size_t>(i)]) {
      const auto session = used.find(sessionId);
      if (session == used.end())
        presence.outsideSessions = true;
      else if (!SameText(session->second.user, user))
        Count(presence, session->second.use);  // the user's programs in another user's session
    }
  }

  // Said where it decides the count: for the restricted users, while locked minutes are not counted.
  for (const SessionPresence& presence : table) {
    if (service.CountLockedSessions || service.RestrictedUsers.IndexOf(presence.user) < 0) continue;
    WriteLogAt(service, 3, "Sessions of " + presence.user + ": active=" + std::to_string(presence.activeSessions) +
                               " locked=" + std::to_string(presence.lockedSessions) +
                               " disconnected=" + std::to_string(presence.disconnectedSessions) +
                               " outside=" + (presence.outsideSessions ? "1" : "0"));
  }
  service.SessionPresences = std::move(table);
}

bool MinuteCountsFor(ServiceState& service, const std::string& userName) {
  if (service.LoggedOnUsers.IndexOf(userName) < 0) return false;
  if (service.CountLockedSessions) return true;
  const SessionPresence* presence = FindPresence(service.SessionPresences, userName);
  if (presence == nullptr || presence->UsesTheComputer()) return true;
  WriteLogAt(service, 3, "Minute not counted for " + userName + ": every session locked or disconnected");
  return false;
}
