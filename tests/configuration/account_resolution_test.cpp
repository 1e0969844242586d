#include "configuration/account_resolution.h"

#include <gtest/gtest.h>

#include "fakes/fake_local_accounts.h"

namespace {

using Outcome = AccountResolution::Outcome;

struct ResolutionCase {
  const char* given;
  Outcome outcome;
  const char* found;  // the local name, the domain of a directory account, or "" for none
};

constexpr ResolutionCase kCases[] = {
    {"alice", Outcome::kAccount, "alice"},
    {"ALICE", Outcome::kAccount, "alice"},
    {"Alice Smith", Outcome::kAccount, "alice"},              // the full name
    {"alice.smith@OUTLOOK.com", Outcome::kAccount, "alice"},  // the Microsoft address
    {".\\BOB", Outcome::kAccount, "bob"},
    {"kids pc\\Bob", Outcome::kAccount, "bob"},              // the computer's own name
    {"Smith", Outcome::kNone, ""},
    {"alicia", Outcome::kNone, ""},
    {"zoe@outlook.com", Outcome::kNone, ""},                 // a Microsoft account of no local account
    {"CORP\\carol", Outcome::kDirectory, "CORP"},
    {"carol@corp.example", Outcome::kDirectory, "CORP"},
    {"Kid Smith", Outcome::kSeveral, ""},
};

TEST(AccountResolutionTest, ResolvesLocalNamesFullNamesAndAddresses) {
  FakeLocalAccounts accounts;
  accounts.list.accounts.push_back({"kid1", "Kid Smith", "", "S-1-5-21-7-1003", true, false, false});
  accounts.list.accounts.push_back({"kid2", "Kid Smith", "", "S-1-5-21-7-1004", true, false, false});
  for (const ResolutionCase& row : kCases) {
    const AccountResolution resolution = ResolveAccount(accounts.List(), accounts, "KIDS PC", row.given);
    EXPECT_EQ(resolution.outcome, row.outcome) << row.given;
    const std::string found = row.outcome == Outcome::kAccount     ? resolution.account.name
                              : row.outcome == Outcome::kDirectory ? resolution.domain
                                                                   : std::string();
    EXPECT_EQ(found, row.found) << row.given;
    EXPECT_EQ(resolution.matches.size(), row.outcome == Outcome::kSeveral ? 2u : 0u) << row.given;
  }
}

TEST(AccountResolutionTest, AccountsThatCannotBeListedResolveNothing) {
  FakeLocalAccounts accounts;
  accounts.failure = CallFailure{"NetUserEnum failed with error 5", 5};
  const AccountResolution resolution = ResolveAccount(accounts.List(), accounts, "KIDS PC", "alice");
  EXPECT_EQ(resolution.outcome, Outcome::kUnlisted);
  EXPECT_EQ(resolution.failure, "NetUserEnum failed with error 5");
}

}  // namespace
