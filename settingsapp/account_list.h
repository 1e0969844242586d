#pragma once

#include <string>
#include <vector>

#include "platform/local_accounts.h"
#include "base/string_list.h"

// The accounts the settings window lists: every local account of the computer but the built-in
// Guest, then every restricted name that is no local account (restricted before the account was
// made, or an account since removed), so that each can be freed.

struct AccountRow {
  LocalAccount account;  // for a name without an account, only its name
  bool local = true;     // a local account of this computer
};

// The rows, local accounts first in the order Windows lists them.
std::vector<AccountRow> AccountRows(const LocalAccountList& accounts, const StringList& restrictedNames);

// What the parent should know about limiting the account, empty when nothing: an administrator
// can lift every limit; a name without an account is limited only once an account of exactly that
// name is made; a disabled account cannot sign in anyway.
std::string AccountNote(const AccountRow& row);
