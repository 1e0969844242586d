#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The sessions open on this computer and the way to end one: the service's own means of logging a
// user off when the session tool in the user's session did not.

// One session and who is logged on in it.
struct UserSession {
  uint32_t id = 0;
  std::string userName;  // empty for a session without a user (the services' session)
  std::string domain;
};

class SessionControl {
 public:
  virtual ~SessionControl() = default;
  // Replaces sessions with every session of this computer; nothing when they were listed, else
  // the failed call and its error code.
  virtual std::optional<std::string> ListSessions(std::vector<UserSession>& sessions) = 0;
  // Logs the session off without waiting for it to end; nothing when asked, else the failed call
  // and its error code.
  virtual std::optional<std::string> LogOffSession(uint32_t sessionId) = 0;
};
