#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/random_source.h"
#include "settings/in_memory_registry.h"
#include "settings/key_security.h"

// Keys' access lists set by the test, over the in-memory registry: a key made for the
// administrators gets LocalSystem and the Administrators only; a key without a list set reads as
// one standard users may read, as keys under the product key inherit.
class FakeKeySecurity : public KeySecurity {
 public:
  explicit FakeKeySecurity(InMemoryRegistry& registry) : registry_(registry) {}

  CallResult<KeyAccessList> Read(const std::string& path) const override {
    if (!registry_.KeyExistsForTesting(path)) return KeyAccessList{false};
    const auto found = lists_.find(path);
    if (found != lists_.end()) return found->second;
    return KeyAccessList{true, false, {{true, false, kAdministratorsSid, 0xF003F}, {true, false, kUsersSid, 0x20019}}};
  }
  CallResult<void> MakeAdminOnly(const std::string& path) const override {
    if (!failure.empty()) return CallFailure{failure};
    registry_.CreateKeyForTesting(path);
    if (!ignoreLockDown)
      lists_[path] = {true, false, {{true, false, kLocalSystemSid, 0xF003F}, {true, false, kAdministratorsSid, 0xF003F}}};
    return {};
  }
  void Set(const std::string& path, KeyAccessList list) { lists_[path] = std::move(list); }

  std::string failure;          // MakeAdminOnly fails with this text when not empty
  bool ignoreLockDown = false;  // MakeAdminOnly makes the key but leaves its list open

 private:
  InMemoryRegistry& registry_;
  mutable std::map<std::string, KeyAccessList> lists_;
};

// Random bytes that are 0x01, 0x02, ... so that a test knows the secret; or a failure.
class CountingRandom : public RandomSource {
 public:
  CallResult<void> Fill(std::string& bytes) const override {
    if (!failure.empty()) return CallFailure{failure};
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i + 1);
    return {};
  }
  std::string failure;
};
