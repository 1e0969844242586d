#include "service/safe_boot_entries_win.h"

#include <windows.h>

#include "settings/reg_key_win.h"

namespace {

// Safe Mode, and Safe Mode with Networking.
constexpr const char* kSafeBootKeys[] = {"SYSTEM\\CurrentControlSet\\Control\\SafeBoot\\Minimal\\",
                                         "SYSTEM\\CurrentControlSet\\Control\\SafeBoot\\Network\\"};
// The default value that marks an entry as a service (a driver's entry says "Driver").
constexpr char kServiceEntry[] = "Service";

}  // namespace

uint32_t WindowsSafeBootEntries::Add(const std::string& service) {
  for (const char* list : kSafeBootKeys) {
    RegKey key;
    const std::string path = list + service;
    // KEY_SET_VALUE is all the write of the value needs.
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, key.Receive(), nullptr);
    if (result != ERROR_SUCCESS) return static_cast<uint32_t>(result);
    // No value name: the key's default value, REG_SZ with its terminating NUL.
    result = RegSetValueExA(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kServiceEntry),
                            sizeof kServiceEntry);
    if (result != ERROR_SUCCESS) return static_cast<uint32_t>(result);
  }
  return 0;
}

uint32_t WindowsSafeBootEntries::Remove(const std::string& service) {
  uint32_t error = 0;
  for (const char* list : kSafeBootKeys) {
    const std::string path = list + service;
    // The entry holds its default value only, so deleting the key itself is enough.
    const LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND && error == 0) error = static_cast<uint32_t>(result);
  }
  return error;
}
