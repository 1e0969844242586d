#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/call_result.h"
#include "platform/folder_access.h"

// Who may read or change a registry key: its access list as plain data, and the making of a key
// that only LocalSystem and the Administrators may use (the key of the parent's code secret).

// Access-mask bits of a key, as Windows numbers them.
inline constexpr uint32_t kKeyQueryValueRight = 0x0001;   // KEY_QUERY_VALUE
inline constexpr uint32_t kKeySetValueRight = 0x0002;     // KEY_SET_VALUE
inline constexpr uint32_t kKeyCreateSubKeyRight = 0x0004; // KEY_CREATE_SUB_KEY
inline constexpr uint32_t kDeleteRight = 0x00010000;      // DELETE
inline constexpr uint32_t kGenericRead = 0x80000000;      // GENERIC_READ

// A key's access list, or that there is no such key.
struct KeyAccessList {
  bool found = true;    // false: the key does not exist
  bool noList = false;  // no access list at all: everyone may do everything
  std::vector<AccessEntry> entries;
};

class KeySecurity {
 public:
  virtual ~KeySecurity() = default;
  // The access list of the key (a path as RegistryAccess takes it).
  virtual CallResult<KeyAccessList> Read(const std::string& path) const = 0;
  // Creates the key when absent and gives it, whether new or not, an access list of its own that
  // lets LocalSystem and the Administrators do everything and no one else anything, nothing
  // inherited from above.
  virtual CallResult<void> MakeAdminOnly(const std::string& path) const = 0;
};

// Who besides LocalSystem and the Administrators may read the key's values or change the key (its
// values, its subkeys, its access list or its owner), naming them ("Users (S-1-5-32-545) may read
// it"); nothing when no one else may. Entries are taken in order, a deny keeping what a later allow
// would give. A key that does not exist is open to no one.
std::optional<std::string> KeyOpenToOthers(const KeyAccessList& list);
