#include "engine/account_control_win.h"

#include <windows.h>
#include <lm.h>

#include "platform/account_names_win.h"
#include "platform/unique_handle_win.h"
#include "platform/wide_text_win.h"
#include "platform/win_error.h"

namespace {

// USER_INFO_1020: the information level that carries only the logon hours.
constexpr DWORD kLogonHoursLevel = 1020;

ShutdownPrivilegeResult PrivilegeFailure(PrivilegeStep step, const char* call, DWORD error) {
  return {WindowsCallFailure(call, error), step};
}

}  // namespace

CallResult<> WindowsAccountControl::SetLogonHours(const std::string& userName, int unitsPerWeek,
                                                 const LogonHours& hours) {
  // The name is UTF-8, as the service keeps every name. A name longer than
  // kMaxAccountNameLength characters is refused (ERROR_INSUFFICIENT_BUFFER) instead of being cut
  // short, which could name another account.
  const std::wstring wideName = WideFromUtf8(userName);
  if (wideName.size() > kMaxAccountNameLength)
    return WindowsCallFailure("NetUserSetInfo", ERROR_INSUFFICIENT_BUFFER);

  LogonHours bitmap = hours;
  USER_INFO_1020 info{};
  info.usri1020_units_per_week = static_cast<DWORD>(unitsPerWeek);
  info.usri1020_logon_hours = bitmap.data();
  // No server name: the local computer. No index of a faulty parameter is asked for.
  const NET_API_STATUS status =
      NetUserSetInfo(nullptr, wideName.c_str(), kLogonHoursLevel, reinterpret_cast<LPBYTE>(&info), nullptr);
  if (status == NERR_Success) return {};
  return WindowsCallFailure("NetUserSetInfo", status);
}

std::string WindowsAccountControl::AccountSid(const std::string& userName) {
  // The account of this computer: its own name before the user's keeps a domain account of the
  // same name out.
  const AccountLookup lookup = LookupAccountByName(ComputerName() + "\\" + userName);
  return lookup.user ? lookup.sid : std::string();
}

ShutdownPrivilegeResult WindowsAccountControl::EnableShutdownPrivilege() {
  // TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY (0x28): enough to enable a privilege.
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Receive()))
    return PrivilegeFailure(PrivilegeStep::kOpenToken, "OpenProcessToken", GetLastError());

  TOKEN_PRIVILEGES privileges{};
  // The lookup's outcome is not checked: an identifier left unknown is not in the token, so the
  // adjustment then reports that it could not enable it.
  LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid);
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  // Only this privilege changes; the previous state is not asked for.
  const BOOL adjusted = AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
  // Read at once: a success that could not enable the privilege (the token lacks it) shows only
  // here, as ERROR_NOT_ALL_ASSIGNED.
  const DWORD error = GetLastError();
  if (error != ERROR_SUCCESS || !adjusted)
    return PrivilegeFailure(PrivilegeStep::kAdjust, "AdjustTokenPrivileges", error);
  return {};
}
