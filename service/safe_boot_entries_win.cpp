#include "service/safe_boot_entries_win.h"

#include <windows.h>

#include "core/installation.h"
#include "platform/win_error.h"
#include "settings/reg_key_win.h"

namespace {

constexpr const char* kSafeBootLists[] = {kSafeModeMinimalList, kSafeModeNetworkList};

// The service's entry in a list as the registry calls take it: from HKEY_LOCAL_MACHINE, without
// the leading and trailing backslashes of the path as written.
std::string EntryPath(const char* list, const std::string& service) {
  const std::string written = SafeModeEntryKey(list, service);
  return written.substr(1, written.size() - 2);
}

}  // namespace

CallResult<> WindowsSafeBootEntries::Add(const std::string& service) {
  for (const char* list : kSafeBootLists) {
    RegKey key;
    const std::string path = EntryPath(list, service);
    // KEY_SET_VALUE is all the write of the value needs.
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, key.Receive(), nullptr);
    if (result != ERROR_SUCCESS) return WindowsCallFailure("RegCreateKeyExA", static_cast<uint32_t>(result));
    // No value name: the key's default value, REG_SZ with its terminating NUL. "Service" marks the
    // entry as a service (a driver's says "Driver").
    result = RegSetValueExA(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kSafeModeEntryValue),
                            sizeof kSafeModeEntryValue);
    if (result != ERROR_SUCCESS) return WindowsCallFailure("RegSetValueExA", static_cast<uint32_t>(result));
  }
  return {};
}

CallResult<> WindowsSafeBootEntries::Remove(const std::string& service) {
  CallResult<> removed;
  for (const char* list : kSafeBootLists) {
    const std::string path = EntryPath(list, service);
    // The entry holds its default value only, so deleting the key itself is enough; both lists are
    // tried, and the first failure is the answer.
    const LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND && removed)
      removed = WindowsCallFailure("RegDeleteKeyA", static_cast<uint32_t>(result));
  }
  return removed;
}
