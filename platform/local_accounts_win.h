#pragma once

#include "platform/local_accounts.h"

// The local accounts through the account calls of netapi32.dll (NetUserEnum, NetUserGetInfo,
// NetLocalGroupGetMembers) and the lookup of advapi32.dll (LookupAccountNameW), with the access
// every user has.
class WindowsLocalAccountSource : public LocalAccountSource {
 public:
  CallResult<LocalAccountList> List() const override;
  AccountLookup Lookup(const std::string& name) const override;
};
