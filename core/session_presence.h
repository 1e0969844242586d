#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A process's session when the system could not say which.
inline constexpr uint32_t kUnknownSession = 0xFFFFFFFFu;

// Where a user is at the computer, learnt at each minute cycle from the computer's sessions and
// the sessions of the user's processes: the sessions the user is in (the user's own, and those of
// others in which the user runs programs), by what each is doing.
struct SessionPresence {
  std::string user;              // as the census or the session list spells it first
  int activeSessions = 0;        // active and unlocked, or whose state could not be read
  int lockedSessions = 0;        // active with the screen locked
  int disconnectedSessions = 0;  // disconnected: switched away from, or a closed remote connection
  // Runs programs outside every user's session: in the services' session 0, in a session
  // without a user, or in one the list does not hold (or whose id the system did not give).
  bool outsideSessions = false;
  bool unknown = false;  // the sessions could not be listed

  // Whether the user uses the computer now: a session active and unlocked, programs outside every
  // session, or sessions that could not be listed (taken as in use).
  bool UsesTheComputer() const { return unknown || activeSessions > 0 || outsideSessions; }
  // Whether the user is in sessions, all of them locked or disconnected.
  bool Away() const { return !UsesTheComputer() && lockedSessions + disconnectedSessions > 0; }
};

// The presence of every user with a session or a running process, learnt at the last minute cycle.
using SessionPresenceTable = std::vector<SessionPresence>;

// The presence of the user (the name compared without regard to letter case); nullptr when the
// table has none.
const SessionPresence* FindPresence(const SessionPresenceTable& table, std::string_view user);
