#include "engine/session_control_win.h"

#include <windows.h>
#include <wtsapi32.h>

#include "platform/win_error.h"

namespace {

// Frees what a WTS call handed out, on every path.
class WtsMemory {
 public:
  WtsMemory() = default;
  ~WtsMemory() {
    if (memory_ != nullptr) WTSFreeMemory(memory_);
  }
  WtsMemory(const WtsMemory&) = delete;
  WtsMemory& operator=(const WtsMemory&) = delete;
  template <class T>
  T** Receive() {
    return reinterpret_cast<T**>(&memory_);
  }
  template <class T>
  T* Get() const {
    return static_cast<T*>(memory_);
  }

 private:
  void* memory_ = nullptr;
};

// The wide text in the ANSI code page, as the census reads account names.
std::string Narrow(const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(size - 1));
  return narrow;
}

// One text of the session's information; empty when it cannot be read.
std::string SessionText(DWORD sessionId, WTS_INFO_CLASS what) {
  WtsMemory text;
  DWORD bytes = 0;
  if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, sessionId, what, text.Receive<wchar_t>(), &bytes))
    return {};
  return Narrow(text.Get<wchar_t>());
}

}  // namespace

std::optional<std::string> WindowsSessionControl::ListSessions(std::vector<UserSession>& sessions) {
  sessions.clear();
  WtsMemory list;
  DWORD count = 0;
  // Reserved 0 and version 1, as the call requires.
  if (!WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, list.Receive<WTS_SESSION_INFOW>(), &count))
    return DescribeWindowsFailure("WTSEnumerateSessionsW", GetLastError());
  for (DWORD i = 0; i < count; ++i) {
    const DWORD id = list.Get<WTS_SESSION_INFOW>()[i].SessionId;
    sessions.push_back({id, SessionText(id, WTSUserName), SessionText(id, WTSDomainName)});
  }
  return std::nullopt;
}

std::optional<std::string> WindowsSessionControl::LogOffSession(uint32_t sessionId) {
  // FALSE: return once the logoff is under way, so the minute cycle is not held up.
  if (WTSLogoffSession(WTS_CURRENT_SERVER_HANDLE, sessionId, FALSE)) return std::nullopt;
  return DescribeWindowsFailure("WTSLogoffSession", GetLastError());
}
