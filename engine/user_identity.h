#pragma once

#include <string>

#include "platform/session_control.h"

class ServiceState;

// Who a session or a client of the pipe is, by the account's security identifier where Windows
// gives one, so that neither a name written another way nor a display name hides a restricted
// user.

// The identifier of the restricted user's account, asked of Windows at the first need and kept
// (an unknown account is asked again each time); empty when Windows knows no such account.
std::string RestrictedUserSid(ServiceState& service, const std::string& userName);
// True when the session is the restricted user's: the same identifier, or the same name in any
// letter case.
bool SessionOfUser(ServiceState& service, const UserSession& session, const std::string& userName);
// The restricted user whose account has the identifier; else the account name as given.
std::string RestrictedUserOf(ServiceState& service, const std::string& account, const std::string& sid);
// Forgets the identifiers of names that are no longer restricted.
void ForgetUnrestrictedSids(ServiceState& service);
