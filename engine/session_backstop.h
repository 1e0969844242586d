#pragma once

#include <string>

class ServiceState;

// The service's own end of a session that the session tool did not end. The tool, which runs with
// the user's own rights, can be ended, kept from starting or answered with a cancelled sign-out;
// the service, which runs as LocalSystem, ends the sessions itself when a user stays logged on
// against the logoff request.

// Notes at a minute's follow-up whether the user is still logged on against a raised logoff
// request; the count of such minutes in a row is cleared when the user is gone or free. True when
// the user's sessions are to be ended now: at the second minute in a row and at every one after,
// so that the first request has had its whole countdown and a minute more, while ServiceLogoff
// is on.
bool NoteStillLogged(ServiceState& service, const std::string& userName, bool stillLogged);
// Forgets the counts of names that are no longer restricted.
void ForgetUnrestrictedCounts(ServiceState& service);
// Ends every session of the user (by the account's identifier, or the name in any letter case), saying at
// level 1 which session was ended and which could not be, with the failed call and its code.
// With EndSessionLock the sessions are kept: each active one is disconnected instead (a
// disconnected one is left as it is), so its programs keep running until the user may log on
// again.
void EndSessionsOf(ServiceState& service, const std::string& userName);
// Whether a held-back user is done with for now: with EndSessionLock, the user is in sessions
// and every one of them is locked or disconnected (SessionPresences of the minute), with no
// program outside them. Nothing is then asked of the user and no session is touched; a session
// active and unlocked again makes it false, and the request and the backstop follow as at first.
bool KeptAwayByLock(const ServiceState& service, const std::string& userName);
