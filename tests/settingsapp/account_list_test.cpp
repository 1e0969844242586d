#include "settingsapp/account_list.h"

#include <gtest/gtest.h>

namespace {

TEST(AccountListTest, ListsTheAccountsButGuestThenRestrictedNamesWithoutAccount) {
  LocalAccountList accounts;
  accounts.accounts = {{.name = "Alice", .fullName = "Alice Smith"},
                       {.name = "Guest", .guest = true},
                       {.name = "Dad", .administrator = true},
                       {.name = "Old", .enabled = false}};
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
