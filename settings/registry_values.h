#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/registry_access.h"

// The registry's own numbers for access rights and value types, and the rules for turning stored
// values into texts and integers that both registry implementations share, so they cannot drift.

// Access rights, as the registry numbers them.
inline constexpr uint32_t kKeyQueryValue = 0x0001;
inline constexpr uint32_t kKeySetValue = 0x0002;
inline constexpr uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr uint32_t kKeyEnumerateSubKeys = 0x0008;
// DELETE, the standard right to delete the object itself.
inline constexpr uint32_t kKeyDelete = 0x00010000;
// STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS: the existence test, and the
// second try of a read-only open.
inline constexpr uint32_t kKeyExistenceRights = 0x20009;
// KEY_READ: the first try of a read-only open (adds KEY_NOTIFY to the existence rights).
inline constexpr uint32_t kKeyRead = 0x20019;
// KEY_ALL_ACCESS: the desired access of every access object and the rights of a read-write open.
inline constexpr uint32_t kKeyAllAccess = 0xF003F;

// The rights a read-only open asks for, one try after the other.
inline constexpr uint32_t kReadOnlyTries[] = {kKeyRead, kKeyExistenceRights, kKeyQueryValue};

// Value types, as the registry numbers them.
inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;
inline constexpr uint32_t kRegQword = 11;

// A value as the registry holds it: its type and its bytes.
struct RegistryValue {
  uint32_t type = kRegNone;
  std::string data;

  bool operator==(const RegistryValue&) const = default;
};

// "REG_SZ", "REG_DWORD", ... or "type N" for a number without a name.
std::string RegistryTypeName(uint32_t type);

// The error for a value of a key, its message naming the key path, the value and the reason.
RegistryError ValueError(const std::string& keyPath, const std::string& valueName, const std::string& reason);

// The error for a key as a whole, its message naming the key path and the reason.
RegistryError KeyError(const std::string& keyPath, const std::string& reason);

// The text of a REG_SZ or REG_EXPAND_SZ value up to its first NUL, unexpanded; empty for a
// missing value or one of zero size; a ValueError for another type.
std::string TextOfValue(const std::string& keyPath, const std::string& valueName,
                        const std::optional<RegistryValue>& value);
// The signed value of a four-byte REG_DWORD value; a ValueError when the value is missing or of
// another type or size.
int32_t IntegerOfValue(const std::string& keyPath, const std::string& valueName,
                       const std::optional<RegistryValue>& value);

// The strings of a REG_MULTI_SZ value up to the empty string that ends them; none for a missing
// value or one of zero size; a ValueError for another type.
std::vector<std::string> StringsOfValue(const std::string& keyPath, const std::string& valueName,
                                        const std::optional<RegistryValue>& value);

// REG_SZ holding the text and its terminating NUL.
RegistryValue StringValue(const std::string& text);
// REG_MULTI_SZ holding each string with its NUL and the NUL that ends the list (that NUL alone
// for no string at all); a ValueError naming the key path and value for an empty string or one holding a
// NUL, which would end the list early.
RegistryValue MultiStringValue(const std::string& keyPath, const std::string& valueName,
                               const std::vector<std::string>& strings);
// REG_DWORD holding the number in the registry's (little-endian) byte order.
RegistryValue IntegerValue(int32_t number);

// The key path with its leading backslash dropped: what the registry calls take, starting at the
// root key.
std::string PathFromRoot(const std::string& path);
