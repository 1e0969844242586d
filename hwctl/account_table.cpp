#include "hwctl/account_table.h"

#include "hwctl/reports.h"

std::string AccountTable(const std::vector<LocalAccount>& accounts) {
  std::vector<std::vector<std::string>> rows = {{"Account", "Full name", "Microsoft account"}};
  for (const LocalAccount& account : accounts)
    rows.push_back({account.name, account.fullName.empty() ? "-" : account.fullName,
                    account.address.empty() ? "-" : account.address});
  return FormatTable(rows);
}
