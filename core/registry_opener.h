#pragma once

#include <functional>
#include <memory>

class RegistryAccess;

// Creates a fresh registry access object (settings/registry_access.h); every store operation
// takes its own and releases it.
using RegistryOpener = std::function<std::unique_ptr<RegistryAccess>()>;
