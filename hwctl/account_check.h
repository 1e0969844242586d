#pragma once

#include <string>
#include <vector>

#include "hwctl/configuration_check.h"
#include "hwctl/stored_settings.h"
#include "platform/local_accounts.h"

// The restricted keys against the accounts of the computer: what check reports of them, and the
// lines list and show add about who a key stands for.

struct AccountFindings {
  std::vector<Problem> problems;
  std::vector<Problem> warnings;
};

// A key that is no local account (it restricts nobody), a restricted account that is an
// administrator (it can lift every limit) and an enabled Guest without limits are problems; every
// other enabled standard account without limits is a warning, as a child may use it.
AccountFindings CheckAccounts(const StoredConfiguration& configuration, const CallResult<LocalAccountList>& listing);

// "alice: Alice Smith, alice.smith@outlook.com" for the key's account, a line saying that no
// account has the key's name, or nothing for an account with neither a full name nor an address
// (or when the accounts could not be listed).
std::string AccountLine(const std::string& keyName, const CallResult<LocalAccountList>& listing);
