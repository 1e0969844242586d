#include "session/startup_registry_win.h"

#include <windows.h>

#include "platform/wide_text_win.h"
#include "platform/win_error.h"
#include "settings/reg_key_win.h"

namespace {

constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

}  // namespace

CallResult<> WindowsStartupRegistry::SetStartupCommand(const std::string& name, const std::string& command) {
  RegKey key;
  // KEY_SET_VALUE is all a write needs; the key exists on every Windows.
  LONG result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                nullptr, key.Receive(), nullptr);
  if (result != ERROR_SUCCESS) return WindowsCallFailure("RegCreateKeyExW", static_cast<uint32_t>(result));
  // REG_SZ with its terminating NUL, in UTF-16 like every text value.
  const std::wstring wideCommand = WideFromUtf8(command);
  result = RegSetValueExW(key.Get(), WideFromUtf8(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(wideCommand.c_str()),
                          static_cast<DWORD>((wideCommand.size() + 1) * sizeof(wchar_t)));
  if (result != ERROR_SUCCESS) return WindowsCallFailure("RegSetValueExW", static_cast<uint32_t>(result));
  return {};
}

CallResult<> WindowsStartupRegistry::RemoveStartupCommand(const std::string& name) {
  RegKey key;
  LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, key.Receive());
  if (result == ERROR_FILE_NOT_FOUND) return {};
  if (result != ERROR_SUCCESS) return WindowsCallFailure("RegOpenKeyExW", static_cast<uint32_t>(result));
  result = RegDeleteValueW(key.Get(), WideFromUtf8(name).c_str());
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
    return WindowsCallFailure("RegDeleteValueW", static_cast<uint32_t>(result));
  return {};
}

std::string WindowsStartupRegistry::ErrorText(uint32_t code) { return SystemErrorText(code); }
