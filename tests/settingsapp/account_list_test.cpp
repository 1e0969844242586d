#include "settingsapp/account_list.h"

#include <gtest/gtest.h>

namespace {

LocalAccount Account(const char* name, bool enabled = true, bool administrator = false, bool guest = false) {
  LocalAccount account;
  account.name = name;
  account.enabled = enabled;
  account.administrator = administrator;
  account.guest = guest;
  return account;
}

TEST(AccountListTest, ListsTheAccountsButGuestThenRestrictedNamesWithoutAccount) {
  LocalAccountList accounts;
  accounts.accounts = {Account("Alice"), Account("Guest", true, false, true), Account("Dad", true, true),
                       Account("Old", false)};
  StringList restricted;
  restricted.Add("alice");
  restricted.Add("newkid");
  const std::vector<AccountRow> rows = AccountRows(accounts, restricted);
  ASSERT_EQ(rows.size(), 4u);
  const std::pair<const char*, const char*> expected[] = {
      {"Alice", ""},
      {"Dad", "Dad is an administrator of this computer: an administrator can lift every limit"},
      {"Old", "Old is turned off"},
      {"newkid", "No account of this computer has this name"},
  };
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].account.name, expected[i].first);
    EXPECT_EQ(AccountNote(rows[i]).rfind(expected[i].second, 0), 0u) << AccountNote(rows[i]);
  }
  EXPECT_FALSE(rows[3].local);
}

}  // namespace
