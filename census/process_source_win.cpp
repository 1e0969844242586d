#include "census/process_source_win.h"

#include <windows.h>
#include <psapi.h>

#include <cstring>
#include <iterator>

#include "platform/unique_handle_win.h"
#include "platform/wide_text_win.h"
#include "platform/win_error.h"

namespace {

// Notes the failed call with the thread's last error and returns the step's result.
ProcessQueryResult Failed(ProcessDetails& details, ProcessQueryResult result, const char* call) {
  const DWORD error = GetLastError();
  details.failure = DescribeWindowsFailure(call, error);
  return result;
}

// The longest path the system gives, in characters, with its terminating null.
constexpr DWORD kMostPathCharacters = 32768;
// Room for the ids of this many processes at first; doubled while the system fills all of it.
constexpr size_t kFirstIdRoom = 1024;
constexpr size_t kMostIdRoom = size_t{1} << 22;

// The file name at the end of a path.
std::string FileNameOf(const std::string& path) {
  const size_t separator = path.find_last_of('\\');
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

// The owner's security identifier from the process's token.
ProcessQueryResult ReadOwner(HANDLE process, ProcessDetails& details) {
  UniqueHandle token;
  // TOKEN_QUERY on a handle with PROCESS_QUERY_LIMITED_INFORMATION, which is all the call needs.
  if (!OpenProcessToken(process, TOKEN_QUERY, token.Receive()))
    return Failed(details, ProcessQueryResult::kOpenTokenFailed, "OpenProcessToken");

  // Room for the user of any token, as the kernel's SE_TOKEN_USER has it: the TOKEN_USER and the
  // longest security identifier, so that one call reads it.
  struct {
    TOKEN_USER user;
    BYTE sid[SECURITY_MAX_SID_SIZE];
  } user;
  DWORD userBytes = 0;
  if (!GetTokenInformation(token.Get(), TokenUser, &user, sizeof user, &userBytes))
    return Failed(details, ProcessQueryResult::kReadTokenUserFailed, "GetTokenInformation");

  const PSID sid = user.user.User.Sid;
  details.ownerSid.assign(static_cast<const char*>(sid), GetLengthSid(sid));
  return ProcessQueryResult::kComplete;
}

}  // namespace

CallResult<std::vector<SnapshotProcess>> WindowsProcessSource::TakeSnapshot() {
  std::vector<SnapshotProcess> processes;
  std::string failure;
  if (!snapshot_.Take(processes, failure)) return CallFailure{failure};
  return processes;
}

CallResult<std::vector<uint32_t>> WindowsProcessSource::EnumerateProcessIds() {
  // The call does not say when the room was too small: a full room is asked again with more.
  std::vector<DWORD> table(kFirstIdRoom);
  for (;;) {
    const DWORD roomBytes = static_cast<DWORD>(table.size() * sizeof(DWORD));
    DWORD bytes = 0;
    if (!EnumProcesses(table.data(), roomBytes, &bytes)) return WindowsCallFailure("EnumProcesses", GetLastError());
    if (bytes < roomBytes || table.size() >= kMostIdRoom)
      return std::vector<uint32_t>(table.begin(), table.begin() + bytes / sizeof(DWORD));
    table.resize(table.size() * 2);
  }
}

ProcessQueryResult WindowsProcessSource::QueryProcess(uint32_t processId, ProcessDetails& details) {
  details = ProcessDetails{};
  // PROCESS_QUERY_LIMITED_INFORMATION: the image path and the token, granted for more processes
  // than the full query right (protected ones too); the handle is not inherited.
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return Failed(details, ProcessQueryResult::kOpenProcessFailed, "OpenProcess");
  // PROCESS_NAME_NATIVE: the device form (\Device\HarddiskVolume1\...), as the kernel recorded
  // the executable when the process was made. A failure leaves the path and the name empty.
  pathBuffer_.resize(kMostPathCharacters);
  DWORD length = kMostPathCharacters;
  if (QueryFullProcessImageNameW(process.Get(), PROCESS_NAME_NATIVE, pathBuffer_.data(), &length)) {
    details.imagePath = Utf8FromWide({pathBuffer_.data(), length});
    details.moduleName = FileNameOf(details.imagePath);
  }
  return ReadOwner(process.Get(), details);
}

CallResult<uint32_t> WindowsProcessSource::FindProcessSession(uint32_t processId) {
  DWORD session = 0;
  if (!ProcessIdToSessionId(processId, &session)) return WindowsCallFailure("ProcessIdToSessionId", GetLastError());
  return static_cast<uint32_t>(session);
}

CallResult<std::string> WindowsProcessSource::FindAccountName(const std::string& sid) {
  // A copy in a buffer of the identifier's own alignment; bytes that are no identifier are refused
  // before the lookup reads them.
  alignas(SID) unsigned char copy[SECURITY_MAX_SID_SIZE] = {};
  const bool fits = sid.size() >= 8 && sid.size() <= sizeof copy;  // 8 bytes: the part every identifier has
  if (fits) std::memcpy(copy, sid.data(), sid.size());
  if (!fits || !IsValidSid(copy) || GetLengthSid(copy) != sid.size())
    return WindowsCallFailure("LookupAccountSidW", ERROR_INVALID_SID);
  // The local machine's view of the account, in UTF-16 whatever its alphabet; the domain is not
  // used. The sizes are counted in characters, the terminating null included.
  wchar_t name[256] = L"";
  DWORD nameSize = std::size(name);
  wchar_t domain[256] = L"";
  DWORD domainSize = std::size(domain);
  SID_NAME_USE use;
  if (!LookupAccountSidW(nullptr, copy, name, &nameSize, domain, &domainSize, &use))
    return WindowsCallFailure("LookupAccountSidW", GetLastError());
  return Utf8FromWide({name, wcsnlen(name, std::size(name))});
}
