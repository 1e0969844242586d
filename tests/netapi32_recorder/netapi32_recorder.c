/* A stand-in for the system's netapi32.dll, for the tests only: NetUserSetInfo changes no account
 * but appends one line per call to a log file, so that the service's real account calls can be
 * watched under Wine (whose own NetUserSetInfo is an unimplemented stub). Loaded from beside the
 * executable with WINEDLLOVERRIDES=netapi32=n; never installed with the product.
 *
 * The log is the file named by HOURWARDEN_NETAPI_LOG or, when that is not set,
 * "netapi32_calls.log" beside this DLL. A line reads
 *   server=(local) user=NAME level=1020 units=168 hours=HEX
 * with the name in UTF-8 and the first units/8 bytes of the logon hours as two hex digits each
 * (units and hours only for level 1020). A user name that starts with "nosuch" is answered with
 * NERR_UserNotFound (2221), as for an account that does not exist; every other call succeeds. */

#include <windows.h>

#define LOGON_HOURS_LEVEL 1020
#define NERR_USER_NOT_FOUND 2221
#define LOG_VARIABLE "HOURWARDEN_NETAPI_LOG"
#define LOG_FILE_NAME "netapi32_calls.log"
/* The most bytes a logon-hours bitmap can have: one bit per minute of the week. */
#define MAX_HOURS_BYTES (10080 / 8)

/* The layout of USER_INFO_1020. */
typedef struct {
  DWORD units_per_week;
  BYTE* logon_hours;
} LogonHoursInfo;

static HMODULE self_module;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) self_module = instance;
  return TRUE;
}

/* A line under construction; text beyond its room is dropped. */
typedef struct {
  char text[4096];
  size_t length;
} Line;

static void append(Line* line, const char* text) {
  while (*text != '\0' && line->length + 1 < sizeof line->text) line->text[line->length++] = *text++;
  line->text[line->length] = '\0';
}

static void append_number(Line* line, DWORD number) {
  char digits[16];
  int count = 0;
  do {
    digits[count++] = (char)('0' + number % 10);
    number /= 10;
  } while (number != 0);
  char text[16];
  for (int i = 0; i < count; ++i) text[i] = digits[count - 1 - i];
  text[count] = '\0';
  append(line, text);
}

static void append_hex(Line* line, const BYTE* bytes, DWORD count) {
  static const char hex[] = "0123456789abcdef";
  for (DWORD i = 0; i < count; ++i) {
    const char pair[3] = {hex[bytes[i] >> 4], hex[bytes[i] & 0x0F], '\0'};
    append(line, pair);
  }
}

static void append_wide(Line* line, LPCWSTR text) {
  char utf8[1024];
  if (WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL) == 0) {
    append(line, "?");
    return;
  }
  append(line, utf8);
}

/* The log file's path: the variable's value, or the file beside this DLL. */
static BOOL log_path(char* path, DWORD size) {
  const DWORD length = GetEnvironmentVariableA(LOG_VARIABLE, path, size);
  if (length != 0 && length < size) return TRUE;
  const DWORD module_length = GetModuleFileNameA(self_module, path, size);
  if (module_length == 0 || module_length >= size) return FALSE;
  char* name = path + module_length;
  while (name > path && name[-1] != '\\' && name[-1] != '/') --name;
  if ((size_t)(name - path) + sizeof LOG_FILE_NAME > size) return FALSE;
  lstrcpyA(name, LOG_FILE_NAME);
  return TRUE;
}

static void record(const Line* line) {
  char path[MAX_PATH * 2];
  if (!log_path(path, sizeof path)) return;
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line->text, (DWORD)line->length, &written, NULL);
  CloseHandle(file);
}

static BOOL starts_with_nosuch(LPCWSTR name) {
  static const WCHAR prefix[] = L"nosuch";
  for (int i = 0; prefix[i] != 0; ++i)
    if (name[i] != prefix[i]) return FALSE;
  return TRUE;
}

DWORD WINAPI NetUserSetInfo(LPCWSTR server, LPCWSTR user, DWORD level, LPBYTE buffer, LPDWORD parameter_error) {
  Line line = {{0}, 0};
  append(&line, "server=");
  if (server == NULL)
    append(&line, "(local)");
  else
    append_wide(&line, server);
  append(&line, " user=");
  append_wide(&line, user != NULL ? user : L"");
  append(&line, " level=");
  append_number(&line, level);
  if (level == LOGON_HOURS_LEVEL && buffer != NULL) {
    const LogonHoursInfo* info = (const LogonHoursInfo*)buffer;
    DWORD bytes = (info->units_per_week + 7) / 8;
    if (bytes > MAX_HOURS_BYTES) bytes = MAX_HOURS_BYTES;
    append(&line, " units=");
    append_number(&line, info->units_per_week);
    append(&line, " hours=");
    if (info->logon_hours != NULL) append_hex(&line, info->logon_hours, bytes);
  }
  if (parameter_error != NULL) append(&line, " parm_err");
  append(&line, "\n");
  record(&line);

  if (user == NULL || buffer == NULL) return ERROR_INVALID_PARAMETER;
  if (starts_with_nosuch(user)) return NERR_USER_NOT_FOUND;
  return 0;
}
