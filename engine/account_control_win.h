#pragma once

#include "engine/account_control.h"

// Logon hours through NetUserSetInfo on the local computer, identifiers through
// LookupAccountNameW, and the shutdown privilege through the process's own access token.
class WindowsAccountControl : public AccountControl {
 public:
  CallResult<> SetLogonHours(const std::string& userName, int unitsPerWeek, const LogonHours& hours) override;
  std::string AccountSid(const std::string& userName) override;
  ShutdownPrivilegeResult EnableShutdownPrivilege() override;
};
