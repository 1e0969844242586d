#include "settingsapp/account_list.h"

#include "base/case_folding.h"

std::vector<AccountRow> AccountRows(const LocalAccountList& accounts, const StringList& restrictedNames) {
  std::vector<AccountRow> rows;
  for (const LocalAccount& account : accounts.accounts)
    if (!account.guest) rows.push_back({account, true});
  for (int i = 0; i < restrictedNames.Count(); ++i) {
    bool listed = false;
    for (const AccountRow& row : rows) listed = listed || SameText(row.account.name, restrictedNames[i]);
    if (listed) continue;
    LocalAccount named;
    named.name = restrictedNames[i];
    rows.push_back({named, false});
  }
  return rows;
}

std::string AccountNote(const AccountRow& row) {
  if (!row.local)
    return "No account of this computer has this name: the limits hold once an account of exactly this name is made.";
  if (row.account.administrator)
    return row.account.name +
           " is an administrator of this computer: an administrator can lift every limit, so limits do not hold for "
           "it. Make it a standard account (Settings > Accounts > Other users > Change account type) first.";
  if (!row.account.enabled) return row.account.name + " is turned off: it cannot sign in until it is turned on again.";
  return "";
}
