#include "session/session_log_win.h"

#include <windows.h>

#include <cstdio>
#include <iterator>

#include "platform/win_error.h"
#include "session/session_log.h"

void ReportSessionFailure(const std::string& text) {
  OutputDebugStringA(text.c_str());
  // The folder of TMP, TEMP or the user's profile, with its trailing backslash; the length counts
  // characters, and one past the buffer means it did not fit.
  wchar_t folder[MAX_PATH + 2];
  const DWORD length = GetTempPathW(static_cast<DWORD>(std::size(folder)), folder);
  if (length == 0 || length >= std::size(folder)) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "[%04u-%02u-%02u %02u:%02u:%02u] ", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond);
  AppendBoundedLogLine(std::filesystem::path(std::wstring(folder, length)) / kSessionLogName, stamp + text,
                       kSessionLogLimit);
}

void ReportFailedCall(const char* call, unsigned long code) {
  ReportSessionFailure(DescribeWindowsFailure(call, static_cast<uint32_t>(code)));
}
