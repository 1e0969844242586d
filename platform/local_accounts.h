#pragma once

#include <string>
#include <vector>

#include "base/call_result.h"

// The user accounts of this computer as Windows keeps them, and what Windows knows of a name that
// is none of them. Read by hwctl (and the settings program) to find the account a parent means.

// One local account.
struct LocalAccount {
  std::string name;      // the local (logon) name: what the account calls, the census and the keys use
  std::string fullName;  // as the sign-in screen shows it; may be empty
  std::string address;   // the Microsoft account's address it signs in with; empty for none
  std::string sid;       // "S-1-5-21-..."; empty when Windows did not say
  bool enabled = true;
  bool administrator = false;  // a member of the Administrators group (S-1-5-32-544)
  bool guest = false;          // the built-in Guest account (relative identifier 501)
};

// Every local account, and what of them could not be read.
struct LocalAccountList {
  std::vector<LocalAccount> accounts;
  // Not empty: some details could not be read (Microsoft addresses, group membership), and why.
  std::string partial;
};

// What Windows' account lookup makes of a name that is no local account.
struct AccountLookup {
  bool found = false;
  bool user = false;   // the name is a user account (not a group, a computer or a built-in name)
  std::string domain;  // the domain that holds the account, as Windows names it
  std::string sid;
};

class LocalAccountSource {
 public:
  virtual ~LocalAccountSource() = default;
  // Every local user account of this computer, or the call that failed to list them.
  virtual CallResult<LocalAccountList> List() const = 0;
  // The account the name (a bare name, DOMAIN\name or an address) stands for anywhere Windows
  // can look: this computer, its domain, Microsoft accounts.
  virtual AccountLookup Lookup(const std::string& name) const = 0;
};
