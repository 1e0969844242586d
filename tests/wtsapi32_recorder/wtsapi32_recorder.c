/* A stand-in for the system's wtsapi32.dll, for the tests only: it lists three sessions (0 with no
 * user, as the services' session; 1 of the account the process runs as; 2 of "someoneelse") and
 * ends none of them, but appends one line per logoff asked for to a log file, so that the
 * service's session calls can be watched under Wine without ending the Wine session. Loaded from
 * beside the executable with a DllOverrides entry for wtsapi32; never installed with the product.
 *
 * The log is "wtsapi32_calls.log" beside this DLL; a line reads
 *   logoff session=ID wait=0|1
 * A logoff of session 2 fails with ERROR_ACCESS_DENIED. */

#include <windows.h>

#define LOG_FILE_NAME "wtsapi32_calls.log"
#define WTS_USER_NAME 5
#define WTS_DOMAIN_NAME 7

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

static void record_logoff(DWORD session, BOOL wait) {
  char path[MAX_PATH * 2];
  const DWORD length = GetModuleFileNameA(self_module, path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  char* name = path + length;
  while (name > path && name[-1] != '\\' && name[-1] != '/') --name;
  if ((size_t)(name - path) + sizeof LOG_FILE_NAME > sizeof path) return;
  lstrcpyA(name, LOG_FILE_NAME);
  char line[64];
  const int size = wsprintfA(line, "logoff session=%lu wait=%d\n", (unsigned long)session, wait ? 1 : 0);
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, (DWORD)size, &written, NULL);
  CloseHandle(file);
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

BOOL WINAPI WTSQuerySessionInformationW(HANDLE server, DWORD session, int what, LPWSTR* buffer, DWORD* bytes) {
  (void)server;
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
  record_logoff(session, wait);
  if (session == 2) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return TRUE;
}

void WINAPI WTSFreeMemory(PVOID memory) {
  if (memory != NULL) LocalFree(memory);
}
