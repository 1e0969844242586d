#include "platform/session_control_win.h"

#include <windows.h>
#include <versionhelpers.h>
#include <wtsapi32.h>

#include <cstddef>
#include <cwchar>

#include "platform/account_names_win.h"
#include "base/handle_holder.h"
#include "platform/wide_text_win.h"
#include "platform/win_error.h"

namespace {

// The extended session information (WTSSessionInfoEx, level 1), which MinGW's headers lack; only
// the fields up to SessionFlags are read.
constexpr WTS_INFO_CLASS kSessionInfoEx = static_cast<WTS_INFO_CLASS>(25);
struct SessionInfoExLevel1 {
  ULONG SessionId;
  WTS_CONNECTSTATE_CLASS SessionState;
  LONG SessionFlags;  // WTS_SESSIONSTATE_LOCK (0), WTS_SESSIONSTATE_UNLOCK (1) or WTS_SESSIONSTATE_UNKNOWN (-1)
  WCHAR WinStationName[WINSTATIONNAME_LENGTH + 1];
  WCHAR UserName[USERNAME_LENGTH + 1];
  WCHAR DomainName[DOMAIN_LENGTH + 1];
  LARGE_INTEGER LogonTime;
  LARGE_INTEGER ConnectTime;
  LARGE_INTEGER DisconnectTime;
  LARGE_INTEGER LastInputTime;
  LARGE_INTEGER CurrentTime;
  DWORD IncomingBytes;
  DWORD OutgoingBytes;
  DWORD IncomingFrames;
  DWORD OutgoingFrames;
  DWORD IncomingCompressedBytes;
  DWORD OutgoingCompressedBytes;
};
struct SessionInfoEx {
  DWORD Level;  // 1: Data holds the level-1 fields
  SessionInfoExLevel1 Data;
};
constexpr LONG kSessionStateLock = 0;
constexpr LONG kSessionStateUnlock = 1;

// What a WTS call handed out, freed with WTSFreeMemory.
struct WtsMemoryKind {
  using Handle = void*;
  static constexpr Handle kNone = nullptr;
  static bool Holds(Handle memory) { return memory != nullptr; }
  static void Release(Handle memory) { WTSFreeMemory(memory); }
};
using WtsMemory = HandleHolder<WtsMemoryKind>;

// One text of the session's information in UTF-8, or the failed call.
CallResult<std::string> SessionText(DWORD sessionId, WTS_INFO_CLASS what) {
  WtsMemory answer;
  DWORD bytes = 0;
  if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, sessionId, what, answer.Receive<wchar_t>(), &bytes))
    return WindowsCallFailure("WTSQuerySessionInformationW", GetLastError());
  // The answer is a null-terminated text of at most the bytes returned.
  const wchar_t* wide = answer.Get<wchar_t>();
  if (wide == nullptr) return std::string();
  return Utf8FromWide({wide, wcsnlen(wide, bytes / sizeof(wchar_t))});
}

// One text of the session's information, empty when it cannot be read.
std::string SessionTextOrEmpty(DWORD sessionId, WTS_INFO_CLASS what) {
  CallResult<std::string> text = SessionText(sessionId, what);
  return text ? text.Value() : std::string();
}

// Reads whether the session is active and locked into it; a state that cannot be read leaves it
// active with its lock unknown and says why.
void ReadSessionState(UserSession& session, bool lockFlagsSwapped) {
  WtsMemory answer;
  DWORD bytes = 0;
  if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session.id, kSessionInfoEx,
                                   answer.Receive<wchar_t>(), &bytes)) {
    session.stateFailure = DescribeWindowsFailure("WTSQuerySessionInformationW(WTSSessionInfoEx)", GetLastError());
    return;
  }
  const auto* info = reinterpret_cast<const SessionInfoEx*>(answer.Get<wchar_t>());
  constexpr size_t kNeeded = offsetof(SessionInfoEx, Data) + offsetof(SessionInfoExLevel1, SessionFlags) + sizeof(LONG);
  if (info == nullptr || bytes < kNeeded || info->Level != 1) {
    session.stateFailure = "WTSQuerySessionInformationW(WTSSessionInfoEx) gave " + std::to_string(bytes) +
                           " bytes, not the level-1 information";
    return;
  }
  if (info->Data.SessionState == WTSActive)
    session.connection = SessionConnection::kActive;
  else if (info->Data.SessionState == WTSDisconnected)
    session.connection = SessionConnection::kDisconnected;
  else
    session.connection = SessionConnection::kOther;
  const LONG locked = lockFlagsSwapped ? kSessionStateUnlock : kSessionStateLock;
  const LONG unlocked = lockFlagsSwapped ? kSessionStateLock : kSessionStateUnlock;
  if (info->Data.SessionFlags == locked)
    session.lock = SessionLock::kLocked;
  else if (info->Data.SessionFlags == unlocked)
    session.lock = SessionLock::kUnlocked;
}

// The identifier of the session's user, from the domain and name the session gives; empty for a
// session without a user or an account Windows cannot look up.
std::string SessionUserSid(const UserSession& session) {
  if (session.userName.empty()) return {};
  const std::string qualified = session.domain.empty() ? session.userName : session.domain + "\\" + session.userName;
  return LookupAccountByName(qualified).sid;
}

}  // namespace

// IsWindows8OrGreater answers rightly without the application's manifest naming Windows 8.1 or
// later (only the checks for those versions need it).
WindowsSessionControl::WindowsSessionControl() : lockFlagsSwapped_(!IsWindows8OrGreater()) {}

CallResult<std::vector<UserSession>> WindowsSessionControl::ListSessions() {
  std::vector<UserSession> sessions;
  WtsMemory list;
  DWORD count = 0;
  // Reserved 0 and version 1, as the call requires.
  if (!WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, list.Receive<WTS_SESSION_INFOW>(), &count))
    return WindowsCallFailure("WTSEnumerateSessionsW", GetLastError());
  for (DWORD i = 0; i < count; ++i) {
    UserSession session;
    session.id = list.Get<WTS_SESSION_INFOW>()[i].SessionId;
    // A name that cannot be read is left empty, as for a session without a user.
    session.userName = SessionTextOrEmpty(session.id, WTSUserName);
    session.domain = SessionTextOrEmpty(session.id, WTSDomainName);
    session.sid = SessionUserSid(session);
    ReadSessionState(session, lockFlagsSwapped_);
    sessions.push_back(std::move(session));
  }
  return sessions;
}

CallResult<std::string> WindowsSessionControl::FindSessionUser(uint32_t sessionId) {
  return SessionText(sessionId, WTSUserName);
}

CallResult<> WindowsSessionControl::LogOffSession(uint32_t sessionId) {
  // FALSE: return once the logoff is under way, so the minute cycle is not held up.
  if (WTSLogoffSession(WTS_CURRENT_SERVER_HANDLE, sessionId, FALSE)) return {};
  return WindowsCallFailure("WTSLogoffSession", GetLastError());
}

CallResult<> WindowsSessionControl::DisconnectSession(uint32_t sessionId) {
  // LocalSystem holds the Disconnect permission on every session. FALSE: return at once. A locked
  // session stays locked; its user reconnects to it at the next logon, which the account's logon
  // hours refuse while the user is held back.
  if (WTSDisconnectSession(WTS_CURRENT_SERVER_HANDLE, sessionId, FALSE)) return {};
  return WindowsCallFailure("WTSDisconnectSession", GetLastError());
}
