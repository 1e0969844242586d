#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/session_control.h"

// Sessions held in memory; every logoff and disconnection asked for is recorded, and fails for the ids given a
// failure text. A session's user cannot be read when the session is not held.
class FakeSessionControl : public SessionControl {
 public:
  CallResult<std::vector<UserSession>> ListSessions() override {
    if (listFailure) return CallFailure{*listFailure};
    return sessions;
  }
  CallResult<std::string> FindSessionUser(uint32_t sessionId) override {
    userLookups.push_back(sessionId);
    for (const UserSession& session : sessions) {
      if (session.id == sessionId) return session.userName;
    }
    return CallFailure{"WTSQuerySessionInformationW failed with error 7022", 7022};
  }
  CallResult<> LogOffSession(uint32_t sessionId) override {
    loggedOff.push_back(sessionId);
    return Answer(sessionId);
  }
  CallResult<> DisconnectSession(uint32_t sessionId) override {
    disconnected.push_back(sessionId);
    return Answer(sessionId);
  }

  // Adds a session of the user in the given state.
  void Add(uint32_t id, std::string userName, SessionConnection connection = SessionConnection::kActive,
           SessionLock lock = SessionLock::kUnlocked) {
    sessions.push_back({id, std::move(userName), "PC", connection, lock, {}, {}});
  }

  // The set failure of the session, else done.
  CallResult<> Answer(uint32_t sessionId) const {
    const auto failure = failures.find(sessionId);
    if (failure != failures.end()) return CallFailure{failure->second};
    return {};
  }

  std::vector<UserSession> sessions;
  std::optional<std::string> listFailure;
  std::map<uint32_t, std::string> failures;
  std::vector<uint32_t> loggedOff;    // the ids asked to log off, in order
  std::vector<uint32_t> disconnected; // the ids asked to disconnect, in order
  std::vector<uint32_t> userLookups;  // the sessions whose user was asked for, in order
};
