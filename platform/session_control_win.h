#pragma once

#include "platform/session_control.h"

// Sessions through the Remote Desktop Services calls on the local server.
class WindowsSessionControl : public SessionControl {
 public:
  WindowsSessionControl();
  std::optional<std::string> ListSessions(std::vector<UserSession>& sessions) override;
  std::optional<std::string> FindSessionUser(uint32_t sessionId, std::string& userName) override;
  std::optional<std::string> LogOffSession(uint32_t sessionId) override;
  std::optional<std::string> DisconnectSession(uint32_t sessionId) override;

 private:
  // Windows 7 and Server 2008 R2 report a locked session as unlocked and the other way round.
  bool lockFlagsSwapped_;
};
