#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/registry_opener.h"
#include "base/string_list.h"

// Key paths under HKEY_LOCAL_MACHINE, written with the leading backslash (the path starts at the
// root key) and the trailing backslash that belongs to the path as written.
inline constexpr char kProductKey[] = "\\SOFTWARE\\Qorvex\\Hourwarden\\";
inline constexpr char kRestrictionsKey[] = "\\SOFTWARE\\Qorvex\\Hourwarden\\Time_restrictions\\";

// The one error the registry access raises: a value of the wrong type, a missing integer, a
// refused write or subkeys that cannot be listed. The message names the key path, the value and
// the reason.
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The settings store's only way into the registry: an access object bound to HKEY_LOCAL_MACHINE
// with the desired access KEY_ALL_ACCESS, with at most one current key. Destroying it releases
// (closes) any open key. Value names are matched without regard to letter case.
class RegistryAccess {
 public:
  virtual ~RegistryAccess() = default;
  // True when the key opens for an existence test (0x20009); the current key is unchanged.
  virtual bool KeyExists(const std::string& path) = 0;
  // Opens the key read-write (KEY_ALL_ACCESS), creating it and any missing parents; on success
  // it replaces the current key.
  virtual bool OpenKey(const std::string& path) = 0;
  // Opens an existing key read-only: KEY_READ, then 0x20009, then KEY_QUERY_VALUE; on success it
  // becomes the current key.
  virtual bool OpenKeyReadOnly(const std::string& path) = 0;
  // Closes the current key; nothing when none is open.
  virtual void CloseKey() = 0;
  // True when the current key has a value of that name, whatever its type.
  virtual bool ValueExists(const std::string& name) = 0;
  // The text of a REG_SZ or REG_EXPAND_SZ value up to its first NUL, unexpanded; empty for a
  // missing or zero-size value; RegistryError for another type.
  virtual std::string ReadString(const std::string& name) = 0;
  // The value of a REG_DWORD value; RegistryError when it is missing or of another type or size.
  virtual int32_t ReadInteger(const std::string& name) = 0;
  // The strings of a REG_MULTI_SZ value in order, up to the empty string that ends them (a last
  // string without its NUL included); none for a missing or zero-size value; RegistryError for
  // another type.
  virtual std::vector<std::string> ReadMultiString(const std::string& name) = 0;
  // Stores REG_SZ with its terminating NUL; RegistryError when the write is refused.
  virtual void WriteString(const std::string& name, const std::string& value) = 0;
  // Stores REG_MULTI_SZ: each string with its NUL, then the NUL that ends the list; RegistryError
  // when the write is refused or a string is empty or holds a NUL (it would end the list early).
  virtual void WriteMultiString(const std::string& name, const std::vector<std::string>& strings) = 0;
  // Stores REG_DWORD; RegistryError when the write is refused.
  virtual void WriteInteger(const std::string& name, int32_t value) = 0;
  // Deletes the value of the current key; true when it is gone, also when it was absent. False
  // when no key is open or the key refuses it.
  virtual bool DeleteValue(const std::string& name) = 0;
  // Empties the list, then appends the name of every direct subkey of the current key in the
  // registry's enumeration order; RegistryError when they cannot all be listed, so that no
  // caller takes a part of the list for the whole.
  virtual void GetKeyNames(StringList& names) = 0;
  // Deletes a key that has no subkeys, with its values; true when it was deleted. False when it
  // is absent, has subkeys or the deletion is refused. Access objects holding the key open see a
  // deleted key: reads find nothing and writes are refused.
  virtual bool DeleteKey(const std::string& path) = 0;
};
