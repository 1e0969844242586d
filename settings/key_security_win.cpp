#include "settings/key_security_win.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "platform/access_entries_win.h"
#include "platform/local_memory_win.h"
#include "platform/wide_text_win.h"
#include "platform/win_error.h"
#include "settings/reg_key_win.h"
#include "settings/registry_values.h"

static_assert(KEY_QUERY_VALUE == kKeyQueryValueRight && KEY_SET_VALUE == kKeySetValueRight);
static_assert(KEY_CREATE_SUB_KEY == kKeyCreateSubKeyRight && DELETE == kDeleteRight && GENERIC_READ == kGenericRead);

namespace {

std::wstring KeyName(const std::string& path) {
  std::string name = PathFromRoot(path);
  if (!name.empty() && name.back() == '\\') name.pop_back();
  return WideFromUtf8(name);
}

}  // namespace

CallResult<KeyAccessList> WindowsKeySecurity::Read(const std::string& path) const {
  RegKey key;
  // READ_CONTROL alone: reading the access list needs no right to the values.
  const LONG opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, KeyName(path).c_str(), 0, READ_CONTROL, key.Receive());
  if (opened == ERROR_FILE_NOT_FOUND) return KeyAccessList{false};
  if (opened != ERROR_SUCCESS) return WindowsCallFailure("RegOpenKeyExW", static_cast<DWORD>(opened));
  PACL dacl = nullptr;
  LocalMemory descriptor;
  const DWORD result = GetSecurityInfo(key.Get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                       nullptr, descriptor.Receive<void>());
  if (result != ERROR_SUCCESS) return WindowsCallFailure("GetSecurityInfo", result);
  KeyAccessList list;
  if (dacl == nullptr) {
    list.noList = true;
    return list;
  }
  if (const std::optional<std::string> failure = ReadAccessEntries(*dacl, list.entries)) return CallFailure{*failure};
  return list;
}

CallResult<void> WindowsKeySecurity::MakeAdminOnly(const std::string& path) const {
  LocalMemory descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kAdminOnlyKeySddl, SDDL_REVISION_1,
                                                            descriptor.Receive<void>(), nullptr))
    return WindowsCallFailure("ConvertStringSecurityDescriptorToSecurityDescriptorA", GetLastError());
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.Get(), FALSE};
  RegKey key;
  LONG result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, KeyName(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS, &attributes, key.Receive(), nullptr);
  if (result != ERROR_SUCCESS) return WindowsCallFailure("RegCreateKeyExW", static_cast<DWORD>(result));
  // A key that was there already keeps its old access list through the create: set it outright.
  result = RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                             descriptor.Get());
  if (result != ERROR_SUCCESS) return WindowsCallFailure("RegSetKeySecurity", static_cast<DWORD>(result));
  return {};
}
