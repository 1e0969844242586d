#include "hwctl/account_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/fake_local_accounts.h"

namespace {

using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

StoredConfiguration Restricting(std::initializer_list<const char*> names) {
  StoredConfiguration configuration;
  for (const char* name : names) {
    StoredUser user;
    user.name = name;
    configuration.users.push_back(user);
  }
  return configuration;
}

TEST(AccountCheckTest, NamesKeysOfNoAccountAdministratorsAndAccountsWithoutLimits) {
  FakeLocalAccounts accounts;
  accounts.list.accounts[4].enabled = true;  // the Guest
  const AccountFindings findings = CheckAccounts(Restricting({"ALICE", "Dad", "carol"}), accounts.List());
  EXPECT_THAT(findings.problems,
              ElementsAre(Field(&Problem::rule, HasSubstr("an administrator of this computer")),
                          Field(&Problem::rule, HasSubstr("no account of this computer has this name")),
                          Field(&Problem::rule, HasSubstr("the Guest account is enabled and has no limits"))));
  EXPECT_EQ(findings.problems[0].where, "Dad");
  EXPECT_EQ(findings.problems[1].where, "carol");
  EXPECT_THAT(findings.warnings, ElementsAre(Field(&Problem::where, "bob")));
}

TEST(AccountCheckTest, EveryAccountRestrictedOrDisabledLeavesNothingToSay) {
  FakeLocalAccounts accounts;
  const AccountFindings findings = CheckAccounts(Restricting({"alice", "bob"}), accounts.List());
  EXPECT_THAT(findings.problems, IsEmpty());
  EXPECT_THAT(findings.warnings, IsEmpty());
  EXPECT_EQ(AccountLine("alice", accounts.List()), "alice: Alice Smith, alice.smith@outlook.com\n");
  EXPECT_EQ(AccountLine("Administrator", accounts.List()), "");
  EXPECT_THAT(AccountLine("carol", accounts.List()), HasSubstr("no account of this computer"));
}

}  // namespace
