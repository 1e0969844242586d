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
  std::optional<std::string> ListSessions(std::vector<UserSession>& listed) override {
    if (listFailure) return listFailure;
    listed = sessions;
    return std::nullopt;
  }
  std::optional<std::string> FindSessionUser(uint32_t sessionId, std::string& userName) override {
    userLookups.push_back(sessionId);
    for (const UserSession& session : sessions) {
      if (session.id != sessionId) continue;
      userName = session.userName;
      return std::nullopt;
    }
    return "WTSQuerySessionInformationW failed with error 7022";
  }
  std::optional<std::string> LogOffSession(uint32_t sessionId) override {
    loggedOff.push_back(sessionId);
    const auto failure = failures.find(sessionId);
    if (failure != failures.end()) return failure->second;
    return std::nullopt;
  }

  std::optional<std::string> DisconnectSession(uint32_t sessionId) override {
    disconnected.push_back(sessionId);
    const auto failure = failures.find(sessionId);
    if (failure != failures.end()) return failure->second;
    return std::nullopt;
  }

  // Adds a session of the user in the given state.
  void Add(uint32_t id, std::string userName, SessionConnection connection = SessionConnection::kActive,
           SessionLock lock = SessionLock::kUnlocked) {
    sessions.push_back({id, std::move(userName), "PC", connection, lock, {}, {}});
  }

  std::vector<UserSession> sessions;
  std::optional<std::string> listFailure;
  std::map<uint32_t, std::string> failures;
  std::vector<uint32_t> loggedOff;    // the ids asked to log off, in order
  std::vector<uint32_t> disconnected; // the ids asked to disconnect, in order
  std::vector<uint32_t> userLookups;  // the sessions whose user was asked for, in order
};
