#pragma once

#include <windows.h>

#include <string>

#include "platform/local_accounts.h"

// The account lookups that more than one part of the program asks Windows for.

// The identifier in its text form, "S-1-5-21-..."; empty for none.
std::string SidText(PSID sid);

// What LookupAccountNameW makes of the name (a bare name, DOMAIN\name or an address), searching
// this computer, then the domains it trusts.
AccountLookup LookupAccountByName(const std::string& name);

// The computer's NetBIOS name, which is also the domain of its local accounts; empty when it
// cannot be read.
std::string ComputerName();
