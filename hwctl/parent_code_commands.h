#pragma once

#include <string>
#include <vector>

#include "configuration/parent_code_setup.h"
#include "hwctl/config_writes.h"
#include "hwctl/configuration_check.h"

// hwctl parent-code: the parent's code, by which a child gets more time from the session tool
// with a six-digit code from the parent's authenticator app. The secret never leaves hwctl but
// once, when it is made.

inline constexpr char kParentCodeUsage[] =
    "hwctl parent-code new | off | show | minutes [USER] MINUTES | max USER MINUTES";

// parent-code new | off | show | minutes [USER] MINUTES | max USER MINUTES.
std::string RunParentCodeCommand(ConfigSession& session, const std::vector<std::string>& arguments);
// "Parent's code: set up." or "Parent's code: not set up." for hwctl check.
std::string ParentCodeStatusLine(ConfigSession& session);
// What hwctl check finds of the parent's code: a key standard users may read or change, a secret
// that is no Base32 text, a user's maximum, or a user's or the product key's minutes a code gives,
// of the wrong type or out of range.
std::vector<Problem> FindParentCodeProblems(ConfigSession& session);
