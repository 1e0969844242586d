#pragma once

#include <memory>

#include "settings/registry_access.h"

// A fresh access object on the Windows registry: HKEY_LOCAL_MACHINE with the desired access
// KEY_ALL_ACCESS, no key open, the default registry view of this process.
std::unique_ptr<RegistryAccess> OpenWindowsRegistry();
