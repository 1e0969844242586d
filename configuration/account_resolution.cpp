#include "configuration/account_resolution.h"

#include "base/case_folding.h"

namespace {

// The domain Windows gives a Microsoft account that no local account of this computer signs in
// with.
constexpr char kMicrosoftAccountDomain[] = "MicrosoftAccount";

AccountResolution Resolved(const LocalAccount& account) {
  AccountResolution resolution;
  resolution.outcome = AccountResolution::Outcome::kAccount;
  resolution.account = account;
  return resolution;
}

AccountResolution Outcome(AccountResolution::Outcome outcome) {
  AccountResolution resolution;
  resolution.outcome = outcome;
  return resolution;
}

// A name that is no local account: an account of a directory when Windows finds a user of
// another domain than this computer's, else no account at all.
AccountResolution Unknown(const LocalAccountSource& source, const std::string& computerName, const std::string& name) {
  const AccountLookup lookup = source.Lookup(name);
  if (!lookup.found || !lookup.user || lookup.domain.empty() || SameText(lookup.domain, computerName) ||
      SameText(lookup.domain, kMicrosoftAccountDomain))
    return Outcome(AccountResolution::Outcome::kNone);
  AccountResolution resolution = Outcome(AccountResolution::Outcome::kDirectory);
  resolution.domain = lookup.domain;
  return resolution;
}

}  // namespace

const LocalAccount* FindLocalAccount(const LocalAccountList& accounts, const std::string& localName) {
  for (const LocalAccount& account : accounts.accounts)
    if (SameText(account.name, localName)) return &account;
  return nullptr;
}

AccountResolution ResolveAccount(const CallResult<LocalAccountList>& listing, const LocalAccountSource& source,
                                 const std::string& computerName, const std::string& given) {
  if (!listing) {
    AccountResolution resolution = Outcome(AccountResolution::Outcome::kUnlisted);
    resolution.failure = listing.Failure();
    return resolution;
  }
  const LocalAccountList& accounts = listing.Value();
  std::string name = given;
  if (const size_t backslash = given.find('\\'); backslash != std::string::npos) {
    const std::string domain = given.substr(0, backslash);
    if (domain != "." && !SameText(domain, computerName)) return Unknown(source, computerName, given);
    name = given.substr(backslash + 1);
  }
  if (const LocalAccount* account = FindLocalAccount(accounts, name)) return Resolved(*account);
  AccountResolution several = Outcome(AccountResolution::Outcome::kSeveral);
  for (const LocalAccount& account : accounts.accounts) {
    if ((!account.fullName.empty() && SameText(account.fullName, name)) ||
        (!account.address.empty() && SameText(account.address, name)))
      several.matches.push_back(account);
  }
  if (several.matches.size() == 1) return Resolved(several.matches.front());
  if (several.matches.size() > 1) return several;
  return Unknown(source, computerName, name);
}

std::string AccountDetails(const LocalAccount& account) {
  std::string details = account.fullName;
  if (!account.address.empty()) details += (details.empty() ? "" : ", ") + account.address;
  return details;
}

std::string AccountLabel(const LocalAccount& account) {
  const std::string details = AccountDetails(account);
  return details.empty() ? account.name : account.name + " (" + details + ")";
}
