#include "engine/session_backstop.h"

#include <vector>

#include "core/service_state.h"
#include "engine/user_identity.h"
#include "platform/session_control.h"
#include "logging/logs.h"

namespace {

// Minutes in a row still logged on against the request before the service ends the sessions.
constexpr int kMinutesBeforeTheServiceEnds = 2;

std::string SessionName(const UserSession& session) {
  return "session " + std::to_string(session.id) + " of " +
         (session.domain.empty() ? session.userName : session.domain + "\\" + session.userName);
}

// Disconnects an active session of a held-back user; one already disconnected, or in another state
// of its station, is left alone.
// True when it is disconnected now.
bool DisconnectSession(ServiceState& service, SessionControl& control, const UserSession& session) {
  if (session.connection != SessionConnection::kActive) return true;
  if (const CallResult<> disconnected = control.DisconnectSession(session.id); !disconnected) {
    WriteLogAt(service, 1, "ERROR: Not possible to disconnect " + SessionName(session) + ": " + disconnected.Failure());
    return false;
  }
  WriteLogAt(service, 1, "Disconnecting " + SessionName(session) +
                             ": still in use against the logoff request; its programs stay open");
  return true;
}

// Every session of the user is disconnected now: the rest of the minute judges the user by it.
void NoteAllDisconnected(ServiceState& service, const std::string& userName) {
  for (SessionPresence& presence : service.SessionPresences) {
    if (!SameText(presence.user, userName)) continue;
    presence.disconnectedSessions += presence.activeSessions + presence.lockedSessions;
    presence.activeSessions = presence.lockedSessions = 0;
  }
}

}  // namespace

bool NoteStillLogged(ServiceState& service, const std::string& userName, bool stillLogged) {
  if (!stillLogged) {
    service.StillLoggedMinutes.erase(userName);
    return false;
  }
  const int minutes = ++service.StillLoggedMinutes[userName];
  return service.ServiceLogoff && minutes >= kMinutesBeforeTheServiceEnds;
}

void ForgetUnrestrictedCounts(ServiceState& service) {
  for (auto entry = service.StillLoggedMinutes.begin(); entry != service.StillLoggedMinutes.end();)
    entry = service.RestrictedUsers.IndexOf(entry->first) < 0 ? service.StillLoggedMinutes.erase(entry) : ++entry;
}

void EndSessionsOf(ServiceState& service, const std::string& userName) {
  SessionControl& control = *service.Platform().sessionControl;
  const CallResult<std::vector<UserSession>> sessions = control.ListSessions();
  if (!sessions) {
    WriteLogAt(service, 1,
               "ERROR: Not possible to list the sessions to end those of " + userName + ": " + sessions.Failure());
    return;
  }
  bool found = false, allDisconnected = true;
  for (const UserSession& session : sessions.Value()) {
    if (!SessionOfUser(service, session, userName)) continue;
    found = true;
    if (service.EndSessionLock)
      allDisconnected = DisconnectSession(service, control, session) && allDisconnected;
    else if (const CallResult<> loggedOff = control.LogOffSession(session.id); !loggedOff)
      WriteLogAt(service, 1, "ERROR: Not possible to end " + SessionName(session) + ": " + loggedOff.Failure());
    else
      WriteLogAt(service, 1, "Ending " + SessionName(session) + ": still logged on against the logoff request");
  }
  if (!found)
    WriteLogAt(service, 1, "No session of " + userName + " to end: the user's programs run outside a session");
  else if (service.EndSessionLock && allDisconnected)
    NoteAllDisconnected(service, userName);
}

bool KeptAwayByLock(const ServiceState& service, const std::string& userName) {
  if (!service.EndSessionLock) return false;
  const SessionPresence* presence = FindPresence(service.SessionPresences, userName);
  return presence != nullptr && presence->Away();
}
