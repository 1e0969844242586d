#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/session_control.h"

// Sessions held in memory; every logoff asked for is recorded, and fails for the ids given a
// failure text.
class FakeSessionControl : public SessionControl {
 public:
  std::optional<std::string> ListSessions(std::vector<UserSession>& listed) override {
    if (listFailure) return listFailure;
    listed = sessions;
    return std::nullopt;
  }
  std::optional<std::string> LogOffSession(uint32_t sessionId) override {
    loggedOff.push_back(sessionId);
    const auto failure = failures.find(sessionId);
    if (failure != failures.end()) return failure->second;
    return std::nullopt;
  }

  std::vector<UserSession> sessions;
  std::optional<std::string> listFailure;
  std::map<uint32_t, std::string> failures;
  std::vector<uint32_t> loggedOff;  // the ids asked to log off, in order
};
