#pragma once

#include "engine/session_control.h"

// Sessions through the Remote Desktop Services calls on the local server.
class WindowsSessionControl : public SessionControl {
 public:
  std::optional<std::string> ListSessions(std::vector<UserSession>& sessions) override;
  std::optional<std::string> LogOffSession(uint32_t sessionId) override;
};
