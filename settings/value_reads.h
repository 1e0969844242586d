#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "settings/registry_access.h"

class ServiceState;

// Reads of single values of the open key that never stop the service: a value stored with
// another registry type than the one it must have is reported at level 1 (its name and key, the
// type found and the type expected) and treated as absent, so one mistyped value cannot keep the
// rest of the configuration, the counting or the evaluation from running.

// The integer of the REG_DWORD value; nothing when it is absent or of another type.
std::optional<int32_t> ReadIntegerValue(ServiceState& service, RegistryAccess& registry, const std::string& name);
// The text of the REG_SZ (or REG_EXPAND_SZ) value; nothing when it is absent or of another type.
std::optional<std::string> ReadTextValue(ServiceState& service, RegistryAccess& registry, const std::string& name);
