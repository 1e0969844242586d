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
void EndSessionsOf(ServiceState& service, const std::string& userName);
