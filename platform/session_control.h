#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/call_result.h"

// The sessions open on this computer: who is logged on in each, whether it is in use, and the
// service's own means of logging a user off when the session tool in the user's session did not.

// How a session's station is connected, as the system reports it.
enum class SessionConnection {
  kActive,        // a user works at it; also when its state could not be read
  kDisconnected,  // no display: switched away from (fast user switching), or a remote connection closed
  kOther,         // any other state of the station (connected without a logon, listening, resetting, ...)
};

// Whether the session's screen is locked, as the system reports it.
enum class SessionLock { kUnknown, kUnlocked, kLocked };

// One session and who is logged on in it.
struct UserSession {
  uint32_t id = 0;
  std::string userName;  // empty for a session without a user (the services' session, a logon screen)
  std::string domain;
  SessionConnection connection = SessionConnection::kActive;
  SessionLock lock = SessionLock::kUnknown;
  std::string stateFailure;  // why the state could not be read (the failed call and its code); empty when it was
  std::string sid;  // the user's security identifier, "S-1-5-21-..."; empty when Windows did not give it
};

class SessionControl {
 public:
  virtual ~SessionControl() = default;
  // Every session of this computer, or the failed call and its error code. A session whose state
  // cannot be read is listed as active with its lock unknown and the reason in stateFailure.
  virtual CallResult<std::vector<UserSession>> ListSessions() = 0;
  // The user logged on in the session, empty when it has none; or the failed call and its error
  // code.
  virtual CallResult<std::string> FindSessionUser(uint32_t sessionId) = 0;
  // Logs the session off without waiting for it to end; asked, or the failed call and its error
  // code.
  virtual CallResult<> LogOffSession(uint32_t sessionId) = 0;
  // Disconnects the session without ending it: its programs keep running, and its user finds them
  // again at the next logon. Asked, or the failed call and its error code.
  virtual CallResult<> DisconnectSession(uint32_t sessionId) = 0;
};
