#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/registry_access.h"

class ServiceState;

// Reads of single values of the open key that never stop a reader: a value stored with another
// registry type than the one it must have is found with the registry's message (its name and key,
// the type found and the type expected) and taken as absent, so one mistyped value cannot keep the
// rest of the configuration, the counting or the evaluation from running.

// A value as found: absent, its content, or present with the wrong type (typeError not empty:
// the registry's message). Usable() is the content, nothing when absent or of the wrong type.
struct StoredText {  // REG_SZ (or REG_EXPAND_SZ, unexpanded)
  bool present = false;
  std::string text;
  std::string typeError;
  std::optional<std::string> Usable() const;
  // Whether another reading found the same: present or not, the same content, a wrong type or not.
  bool SameAs(const StoredText& other) const;
};
struct StoredNumber {  // REG_DWORD
  bool present = false;
  int32_t number = 0;
  std::string typeError;
  std::optional<int32_t> Usable() const;
  bool SameAs(const StoredNumber& other) const;
};
struct StoredStrings {  // REG_MULTI_SZ
  bool present = false;
  std::vector<std::string> strings;
  std::string typeError;
  std::optional<std::vector<std::string>> Usable() const;
};

StoredText FindText(RegistryAccess& registry, const std::string& name);
StoredNumber FindNumber(RegistryAccess& registry, const std::string& name);
StoredStrings FindStrings(RegistryAccess& registry, const std::string& name);

// The service's reading: a value of the wrong type is reported at level 1 and taken as absent.
// Says at level 1 that the value is of the wrong type and taken as absent; nothing for any other.
void ReportTypeError(ServiceState& service, const std::string& typeError);

// The integer of the REG_DWORD value; nothing when it is absent or of another type.
std::optional<int32_t> ReadIntegerValue(ServiceState& service, RegistryAccess& registry, const std::string& name);
// The text of the REG_SZ (or REG_EXPAND_SZ) value; nothing when it is absent or of another type.
std::optional<std::string> ReadTextValue(ServiceState& service, RegistryAccess& registry, const std::string& name);

