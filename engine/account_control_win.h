#pragma once

#include "engine/account_control.h"

// Logon hours through NetUserSetInfo on the local computer, and the shutdown privilege through
// the process's own access token.
class WindowsAccountControl : public AccountControl {
 public:
  std::optional<std::string> SetLogonHours(const std::string& userName, int unitsPerWeek,
                                           const LogonHours& hours) override;
  ShutdownPrivilegeResult EnableShutdownPrivilege() override;
};
