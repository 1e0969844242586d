#include "hwctl/account_check.h"

#include "base/case_folding.h"
#include "configuration/account_resolution.h"

namespace {

constexpr char kAccountValue[] = "account";

bool Restricted(const StoredConfiguration& configuration, const std::string& accountName) {
  for (const StoredUser& user : configuration.users)
    if (SameText(user.name, accountName)) return true;
  return false;
}

}  // namespace

AccountFindings CheckAccounts(const StoredConfiguration& configuration, const CallResult<LocalAccountList>& listing) {
  AccountFindings findings;
  if (!listing) {
    findings.warnings.push_back({kProductWhere, "accounts",
                                 "the accounts of this computer cannot be listed (" + listing.Failure() +
                                     "), so the keys are not compared with them"});
    return findings;
  }
  const LocalAccountList& accounts = listing.Value();
  for (const StoredUser& user : configuration.users) {
    const LocalAccount* account = FindLocalAccount(accounts, user.name);
    if (account == nullptr)
      findings.problems.push_back({user.name, kAccountValue,
                                   "no account of this computer has this name, so the key restricts nobody "
                                   "(hwctl add lists the accounts)"});
    else if (account->administrator)
      findings.problems.push_back({user.name, kAccountValue,
                                   "an administrator of this computer, who can lift every limit: make it a "
                                   "standard account"});
  }
  for (const LocalAccount& account : accounts.accounts) {
    if (!account.enabled || Restricted(configuration, account.name)) continue;
    if (account.guest)
      findings.problems.push_back({account.name, kAccountValue,
                                   "the Guest account is enabled and has no limits: anyone may sign in with it "
                                   "to get around them; disable it"});
    else if (!account.administrator)
      findings.warnings.push_back({account.name, kAccountValue,
                                   "an enabled standard account without limits: a child may use it"});
  }
  if (!accounts.partial.empty())
    findings.warnings.push_back({kProductWhere, "accounts", "not every detail was read: " + accounts.partial});
  return findings;
}

std::string AccountLine(const std::string& keyName, const CallResult<LocalAccountList>& listing) {
  if (!listing) return {};
  const LocalAccount* account = FindLocalAccount(listing.Value(), keyName);
  if (account == nullptr) return keyName + ": no account of this computer has this name (hwctl check)\n";
  const std::string details = AccountDetails(*account);
  return details.empty() ? std::string() : keyName + ": " + details + "\n";
}
