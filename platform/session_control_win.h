#pragma once

#include "platform/session_control.h"

// Sessions through the Remote Desktop Services calls on the local server.
class WindowsSessionControl : public SessionControl {
 public:
  WindowsSessionControl();
  CallResult<std::vector<UserSession>> ListSessions() override;
  CallResult<std::string> FindSessionUser(uint32_t sessionId) override;
  CallResult<> LogOffSession(uint32_t sessionId) override;
  CallResult<> DisconnectSession(uint32_t sessionId) override;

 private:
  // Windows 7 and Server 2008 R2 report a locked session as unlocked and the other way round.
  bool lockFlagsSwapped_;
};
