#pragma once

#include <string>
#include <vector>

#include "platform/local_accounts.h"

// Which local account a name given by a parent stands for: the account's local name, its full
// name as the sign-in screen shows it, or the Microsoft account's address it signs in with. Used
// by hwctl and the settings program alike, apart from any command line.

struct AccountResolution {
  enum class Outcome {
    kAccount,    // exactly one local account: account
    kNone,       // no local account of that name
    kSeveral,    // several local accounts have that full name: matches
    kDirectory,  // an account of a directory (domain or work account): domain
    kUnlisted,   // the local accounts could not be listed: failure
  };
  Outcome outcome = Outcome::kNone;
  LocalAccount account;
  std::vector<LocalAccount> matches;
  std::string domain;
  std::string failure;
};

// Resolves the name against the local accounts of the computer of that name (kUnlisted when they
// could not be listed). DOMAIN\name is taken as name when DOMAIN is "." or the computer; a local
// name wins over a full name or address.
AccountResolution ResolveAccount(const CallResult<LocalAccountList>& listing, const LocalAccountSource& source,
                                 const std::string& computerName, const std::string& given);

// The local account of exactly that local name (any letter case), or nullptr.
const LocalAccount* FindLocalAccount(const LocalAccountList& accounts, const std::string& localName);

// The account's full name and Microsoft address, "Alice Smith, alice@outlook.com"; empty when it
// has neither.
std::string AccountDetails(const LocalAccount& account);

// How the account is shown beside its local name: "alice (Alice Smith, alice@outlook.com)", or
// the local name alone when it has neither.
std::string AccountLabel(const LocalAccount& account);
