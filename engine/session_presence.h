#pragma once

#include <string>

class ServiceState;

// Where each user is at the computer (core/session_presence.h), learnt by the service itself from
// the system's sessions, never from the session tool, which the user controls.

// Rebuilds SessionPresences from the computer's sessions (the session seam) and the sessions of the
// processes of the last census (LoggedOnUsers, LoggedOnSessions). Each session with a user counts
// once for its user and once for every other user with processes in it: disconnected, else locked
// when its screen is, else active (a state that cannot be read counts as active and unlocked).
// Processes in a session without a user, in one the list does not hold, or in one the system did
// not give are outside every session. When the sessions cannot be listed, every user of the census
// is taken as using the computer, with a level-1 line. Writes at level 3 every session whose state
// could not be read and, while CountLockedSessions is off, the sessions of each restricted user.
void LearnSessionPresence(ServiceState& service);

// Whether a minute counts for the restricted user now: the user owns a running process
// (LoggedOnUsers) and, unless CountLockedSessions is on, uses the computer as SessionPresences has
// it (a user it does not hold counts). Says at level 3 when a minute of a user with a running
// process is not counted because every session of the user is locked or disconnected.
bool MinuteCountsFor(ServiceState& service, const std::string& userName);
