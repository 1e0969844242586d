#pragma once

#include "settings/key_security.h"

// The descriptor given to the key of the secret. D:P: protected from what is inherited from
// above; KA: KEY_ALL_ACCESS; SY: LocalSystem; BA: the Administrators.
inline constexpr char kAdminOnlyKeySddl[] = "D:P(A;;KA;;;SY)(A;;KA;;;BA)";

// Keys' access lists from the Windows registry (HKEY_LOCAL_MACHINE, this process's default view).
class WindowsKeySecurity : public KeySecurity {
 public:
  CallResult<KeyAccessList> Read(const std::string& path) const override;
  CallResult<void> MakeAdminOnly(const std::string& path) const override;
};
