/* A stand-in for the system's wtsapi32.dll, for the tests only: it lists three sessions (0 with no
 * user, as the services' session; 1 of the account the process runs as; 2 of "someoneelse") and
 * ends none of them, but appends one line per logoff asked for to a log file, so that the
 * service's session calls can be watched under Wine without ending the Wine session. Loaded from
 * beside the executable with a DllOverrides entry for wtsapi32; never installed with the product.
 *
 * The log is "wtsapi32_calls.log" beside this DLL; a line reads
 *   logoff session=ID wait=0|1    or    disconnect session=ID wait=0|1
 * A logoff or disconnection of session 2 fails with ERROR_ACCESS_DENIED. A disconnection of
 * session 1 writes "disconnected" into the console's state file, as Windows would then report it.
 *
 * The extended information of a session (WTSSessionInfoEx) gives session 0 disconnected and
 * session 2 active and unlocked. Session 1, the console, is as the test names it in the file
 * "wtsapi32_console.txt" beside this DLL, read at every call: "locked", "disconnected",
 * "unreadable" (the query fails with ERROR_ACCESS_DENIED) or, without the file or any other
 * word, active and unlocked. The lock flags are given as Windows gives them on the version the
 * prefix reports: on Windows 7 and Server 2008 R2 (6.1), swapped, the defect Microsoft documents. */

#include <windows.h>
#include <versionhelpers.h>

#define LOG_FILE_NAME "wtsapi32_calls.log"
#define CONSOLE_FILE_NAME "wtsapi32_console.txt"
#define WTS_USER_NAME 5
#define WTS_DOMAIN_NAME 7
#define WTS_SESSION_INFO_EX 25
#define WTS_ACTIVE 0
#define WTS_DISCONNECTED 4
#define SESSIONSTATE_LOCK 0
#define SESSIONSTATE_UNLOCK 1
#define SESSIONSTATE_UNKNOWN (-1)

/* The layout of WTSINFOEXW: the level, then the level-1 fields (aligned for their 64-bit times). */
typedef struct {
  ULONG session_id;
  int session_state;
  LONG session_flags;
  WCHAR station_name[33], user_name[21], domain_name[18];
  LARGE_INTEGER times[5];  /* logon, connect, disconnect, last input, now */
  DWORD counters[6];       /* bytes, frames and compressed bytes in and out */
} SessionInfoExLevel1;
typedef struct {
  DWORD level;
  SessionInfoExLevel1 data;
} SessionInfoEx;

/* The layout of WTS_SESSION_INFOW. */
typedef struct {
  DWORD session_id;
  LPWSTR station_name;
  int state;
} SessionInfo;

static HMODULE self_module;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) self_module = instance;
  return TRUE;
}

/* The path of a file beside this DLL; FALSE when it does not fit. */
static BOOL path_beside(char* path, DWORD size, const char* file_name) {
  const DWORD length = GetModuleFileNameA(self_module, path, size);
  if (length == 0 || length >= size) return FALSE;
  char* name = path + length;
  while (name > path && name[-1] != '\\' && name[-1] != '/') --name;
  if ((size_t)(name - path) + (size_t)lstrlenA(file_name) + 1 > size) return FALSE;
  lstrcpyA(name, file_name);
  return TRUE;
}

/* The first word of the console's state file, empty without one. */
static void console_state(char* word, DWORD size) {
  char path[MAX_PATH * 2];
  word[0] = '\0';
  if (!path_beside(path, sizeof path, CONSOLE_FILE_NAME)) return;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD got = 0;
  if (!ReadFile(file, word, size - 1, &got, NULL)) got = 0;
  CloseHandle(file);
  word[got] = '\0';
  for (DWORD i = 0; i < got; ++i) word[i] = word[i] == '\r' || word[i] == '\n' || word[i] == ' ' ? '\0' : word[i];
}

/* Writes the text to the file beside this DLL: appended, or in place of what it held. */
static void write_beside(const char* file_name, const char* text, int size, BOOL append) {
  char path[MAX_PATH * 2];
  if (!path_beside(path, sizeof path, file_name)) return;
  HANDLE file = CreateFileA(path, append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            NULL, append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text, (DWORD)size, &written, NULL);
  CloseHandle(file);
}

static void record_call(const char* what, DWORD session, BOOL wait) {
  char line[64];
  const int size = wsprintfA(line, "%s session=%lu wait=%d\n", what, (unsigned long)session, wait ? 1 : 0);
  write_beside(LOG_FILE_NAME, line, size, TRUE);
}

/* A copy of the text in memory that WTSFreeMemory releases. */
static LPWSTR copy_text(LPCWSTR text) {
  const int length = lstrlenW(text) + 1;
  LPWSTR copy = (LPWSTR)LocalAlloc(LMEM_FIXED, (SIZE_T)length * sizeof(WCHAR));
  if (copy != NULL) lstrcpyW(copy, text);
  return copy;
}

BOOL WINAPI WTSEnumerateSessionsW(HANDLE server, DWORD reserved, DWORD version, SessionInfo** sessions, DWORD* count) {
  (void)server;
  if (reserved != 0 || version != 1 || sessions == NULL || count == NULL) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  static WCHAR services[] = L"Services", console[] = L"Console", other[] = L"RDP-Tcp#1";
  SessionInfo* list = (SessionInfo*)LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, 3 * sizeof(SessionInfo));
  if (list == NULL) return FALSE;
  list[0].session_id = 0;
  list[0].station_name = services;
  list[1].session_id = 1;
  list[1].station_name = console;
  list[2].session_id = 2;
  list[2].station_name = other;
  *sessions = list;
  *count = 3;
  return TRUE;
}

/* The extended information of a session, as the console's state file has it for session 1. */
static BOOL session_info_ex(DWORD session, LPWSTR* buffer, DWORD* bytes) {
  char state[32] = "unlocked";
  if (session == 0) lstrcpyA(state, "disconnected");
  if (session == 1) console_state(state, sizeof state);
  if (lstrcmpA(state, "unreadable") == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  SessionInfoEx* info = (SessionInfoEx*)LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, sizeof(SessionInfoEx));
  if (info == NULL) return FALSE;
  info->level = 1;
  info->data.session_id = session;
  info->data.session_state = lstrcmpA(state, "disconnected") == 0 ? WTS_DISCONNECTED : WTS_ACTIVE;
  const BOOL locked = lstrcmpA(state, "locked") == 0, swapped = !IsWindows8OrGreater();
  info->data.session_flags = session == 0 ? SESSIONSTATE_UNKNOWN : locked != swapped ? SESSIONSTATE_LOCK : SESSIONSTATE_UNLOCK;
  DWORD size = 21;
  if (session == 1) GetUserNameW(info->data.user_name, &size);
  if (session == 2) lstrcpyW(info->data.user_name, L"someoneelse");
  *buffer = (LPWSTR)info;
  if (bytes != NULL) *bytes = sizeof(SessionInfoEx);
  return TRUE;
}

BOOL WINAPI WTSQuerySessionInformationW(HANDLE server, DWORD session, int what, LPWSTR* buffer, DWORD* bytes) {
  (void)server;
  if (what == WTS_SESSION_INFO_EX) return session_info_ex(session, buffer, bytes);
  WCHAR text[257] = L"";
  if (what == WTS_USER_NAME) {
    DWORD size = 257;
    if (session == 1 && !GetUserNameW(text, &size)) return FALSE;
    if (session == 2) lstrcpyW(text, L"someoneelse");
  } else if (what == WTS_DOMAIN_NAME) {
    if (session != 0) lstrcpyW(text, L"WINEPC");
  } else {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  *buffer = copy_text(text);
  if (*buffer == NULL) return FALSE;
  if (bytes != NULL) *bytes = (DWORD)(lstrlenW(text) + 1) * sizeof(WCHAR);
  return TRUE;
}

BOOL WINAPI WTSLogoffSession(HANDLE server, DWORD session, BOOL wait) {
  (void)server;
  record_call("logoff", session, wait);
  if (session == 2) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI WTSDisconnectSession(HANDLE server, DWORD session, BOOL wait) {
  (void)server;
  record_call("disconnect", session, wait);
  if (session == 2) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (session == 1) write_beside(CONSOLE_FILE_NAME, "disconnected\n", 13, FALSE);
  return TRUE;
}

void WINAPI WTSFreeMemory(PVOID memory) {
  if (memory != NULL) LocalFree(memory);
}
