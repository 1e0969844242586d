#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/local_accounts.h"

// The accounts of a made-up family PC: alice signs in with a Microsoft account, bob with a local
// one, Dad is an administrator; the built-in Administrator and Guest are disabled. Lookups of
// names that are no local account answer as set in lookups.
class FakeLocalAccounts : public LocalAccountSource {
 public:
  CallResult<LocalAccountList> List() const override {
    if (failure) return *failure;
    return list;
  }
  AccountLookup Lookup(const std::string& name) const override {
    const auto found = lookups.find(name);
    return found != lookups.end() ? found->second : AccountLookup{};
  }

  LocalAccountList list{{
      {"alice", "Alice Smith", "alice.smith@outlook.com", "S-1-5-21-7-1001", true, false, false},
      {"bob", "Bob Smith", "", "S-1-5-21-7-1002", true, false, false},
      {"Dad", "Dad Smith", "dad@outlook.com", "S-1-5-21-7-1000", true, true, false},
      {"Administrator", "", "", "S-1-5-21-7-500", false, true, false},
      {"Guest", "", "", "S-1-5-21-7-501", false, false, true},
  }, {}};
  // When set, the accounts cannot be listed.
  std::optional<CallFailure> failure;
  std::map<std::string, AccountLookup> lookups{
      {"CORP\\carol", {true, true, "CORP", "S-1-5-21-9-1105"}},
      {"carol@corp.example", {true, true, "CORP", "S-1-5-21-9-1105"}},
      {"zoe@outlook.com", {true, true, "MicrosoftAccount", "S-1-11-96-1"}},
  };
};
