#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/registry_access.h"
#include "settings/registry_values.h"

// A registry key tree held in memory under one root key, with the registry's rules: key and value
// names matched without regard to case, value types kept as stored, the three open modes checked
// against the rights each key grants, missing parents created by a read-write open, and subkeys
// enumerated in a stable order sorted by name without regard to case. It stands in for the
// registry wherever Windows is absent. Access objects made by Open() work on the tree, which must
// outlive them; their operations may come from more than one thread.
class InMemoryRegistry {
 public:
  InMemoryRegistry();
  ~InMemoryRegistry();
  InMemoryRegistry(const InMemoryRegistry&) = delete;
  InMemoryRegistry& operator=(const InMemoryRegistry&) = delete;

  // A fresh access object on this tree, with no key open.
  std::unique_ptr<RegistryAccess> Open();
  // An opener handing out access objects on this tree (for ServicePlatform::openRegistry).
  RegistryOpener Opener();

  // Test hooks. Paths are written as for RegistryAccess (leading backslash optional, trailing
  // backslash allowed); the hooks ignore the rights a key grants.

  // Creates the key and any missing parents.
  void CreateKeyForTesting(const std::string& path);
  // Stores a value of any type and content, creating the key and its parents.
  void SetValueForTesting(const std::string& path, const std::string& name, RegistryValue value);
  void SetStringForTesting(const std::string& path, const std::string& name, const std::string& text);
  void SetIntegerForTesting(const std::string& path, const std::string& name, int32_t number);
  // The stored value with its type, or nothing when the key or the value is absent.
  std::optional<RegistryValue> ValueForTesting(const std::string& path, const std::string& name) const;
  // The names of the key's values (as first stored), sorted without regard to case.
  std::vector<std::string> ValueNamesForTesting(const std::string& path) const;
  // The names of the key's direct subkeys in enumeration order.
  std::vector<std::string> SubkeyNamesForTesting(const std::string& path) const;
  bool KeyExistsForTesting(const std::string& path) const;
  // Removes the key with all its subkeys and values; access objects holding it open see a
  // deleted key (reads find nothing, writes are refused).
  void DeleteKeyForTesting(const std::string& path);
  // Lets the key (created when absent) open only for requests that ask no more than these
  // rights (kKeyAllAccess by default): 0 makes it unopenable, kKeyQueryValue leaves only the last read-only try,
  // kKeyRead allows the existence test and read-only but not read-write. Without
  // kKeyCreateSubKey no subkey can be created under it.
  void SetKeyRightsForTesting(const std::string& path, uint32_t grantedRights);
  // Makes every value write to the key (created when absent) fail, as a registry that refuses
  // the write.
  void RefuseWritesForTesting(const std::string& path, bool refuse = true);
  // Makes every listing of the key's subkeys (the key created when absent) fail.
  void FailEnumerationForTesting(const std::string& path, bool fail = true);
  // Keys currently open in access objects of this tree.
  int OpenKeyCountForTesting() const;

 private:
  class Access;
  struct Node;
  struct NameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  friend class Access;

  // The key's names from the root, or nothing for a path with an empty name inside it.
  static std::optional<std::vector<std::string>> Segments(const std::string& path);
  std::shared_ptr<Node> Find(const std::string& path) const;
  std::shared_ptr<Node> CreateIgnoringRights(const std::string& path);
  // Removes the key at the names from the root with all it holds, marking every node deleted.
  void Unlink(const std::vector<std::string>& segments);

  mutable std::mutex mutex_;
  std::shared_ptr<Node> root_;
  int openKeys_ = 0;
};
