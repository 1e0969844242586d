#include "service/event_sources_win.h"

#include <windows.h>

#include "platform/wide_text_win.h"
#include "platform/win_error.h"
#include "settings/reg_key_win.h"

namespace {

constexpr char kApplicationLogKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";

}  // namespace

CallResult<> WindowsEventSources::RegisterSource(const std::string& source, const std::string& messageFile) {
  RegKey key;
  const std::wstring path = WideFromUtf8(kApplicationLogKey + source);
  LONG result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                nullptr, key.Receive(), nullptr);
  if (result != ERROR_SUCCESS) return WindowsCallFailure("RegCreateKeyExW", static_cast<uint32_t>(result));
  // REG_EXPAND_SZ, as Event Viewer expects of a message file, holding the unquoted full path in
  // UTF-16 with its terminating NUL (the program's folder may be named in any alphabet).
  const std::wstring file = WideFromUtf8(messageFile);
  result = RegSetValueExW(key.Get(), L"EventMessageFile", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(file.c_str()),
                          static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t)));
  if (result != ERROR_SUCCESS) return WindowsCallFailure("RegSetValueExW", static_cast<uint32_t>(result));
  const DWORD types = kEventTypesSupported;
  result = RegSetValueExW(key.Get(), L"TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types),
                          sizeof types);
  if (result != ERROR_SUCCESS) return WindowsCallFailure("RegSetValueExW", static_cast<uint32_t>(result));
  return {};
}

CallResult<> WindowsEventSources::RemoveSource(const std::string& source) {
  const std::wstring path = WideFromUtf8(kApplicationLogKey + source);
  // The source's key holds values only, so deleting the key itself is enough.
  const LONG result = RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
    return WindowsCallFailure("RegDeleteKeyW", static_cast<uint32_t>(result));
  return {};
}
