#include "census/process_source_win.h"

#include <windows.h>
#include <psapi.h>

#include <cstring>
#include <utility>

#include "platform/unique_handle_win.h"
#include "platform/win_error.h"

namespace {

// Owns a block of GlobalAlloc and frees it on every path.
class UniqueGlobal {
 public:
  explicit UniqueGlobal(HGLOBAL block) : block_(block) {}
  ~UniqueGlobal() {
    if (block_ != nullptr) GlobalFree(block_);
  }
  UniqueGlobal(const UniqueGlobal&) = delete;
  UniqueGlobal& operator=(const UniqueGlobal&) = delete;
  void* Get() const { return block_; }

 private:
  HGLOBAL block_;
};

// Notes the failed call with the thread's last error and returns the step's result.
ProcessQueryResult Failed(ProcessDetails& details, ProcessQueryResult result, const char* call) {
  const DWORD error = GetLastError();
  details.failure = DescribeWindowsFailure(call, error);
  return result;
}

// PROCESS_QUERY_INFORMATION | PROCESS_VM_READ (0x0410): enough for the module list, the image
// path and the token; the handle is not inherited.
HANDLE OpenForQuery(uint32_t processId) {
  return OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
}

// Reads the base name of the main executable through the module list, as the census always has.
ProcessQueryResult ReadModuleName(HANDLE process, ProcessDetails& details) {
  // Room for one module handle: the first module listed is the main executable.
  HMODULE mainModule = nullptr;
  DWORD moduleBytes = 0;
  if (!EnumProcessModules(process, &mainModule, sizeof mainModule, &moduleBytes))
    return Failed(details, ProcessQueryResult::kReadModulesFailed, "EnumProcessModules");
  // The number of characters copied, 0 on failure, which leaves the name empty.
  char moduleName[1024];
  const DWORD moduleLength = GetModuleBaseNameA(process, mainModule, moduleName, sizeof moduleName);
  details.moduleName.assign(moduleName, moduleLength);
  return ProcessQueryResult::kComplete;
}

// The steps after the module name: the image path and the owner's security identifier.
ProcessQueryResult ReadPathAndOwner(HANDLE process, ProcessDetails& details) {
  // The number of characters copied, 0 on failure, which leaves the path empty.
  char imagePath[2048];
  const DWORD pathLength = GetProcessImageFileNameA(process, imagePath, sizeof imagePath);

  UniqueHandle token;
  if (!OpenProcessToken(process, TOKEN_QUERY, token.Receive()))
    return Failed(details, ProcessQueryResult::kOpenTokenFailed, "OpenProcessToken");

  // Asked with no buffer, the call fails with ERROR_INSUFFICIENT_BUFFER and gives the size.
  DWORD userBytes = 0;
  if (!GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &userBytes) &&
      GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return Failed(details, ProcessQueryResult::kTokenSizeFailed, "GetTokenInformation");
  UniqueGlobal user(GlobalAlloc(GMEM_ZEROINIT, userBytes));
  if (user.Get() == nullptr) return Failed(details, ProcessQueryResult::kReadTokenUserFailed, "GlobalAlloc");
  if (!GetTokenInformation(token.Get(), TokenUser, user.Get(), userBytes, &userBytes))
    return Failed(details, ProcessQueryResult::kReadTokenUserFailed, "GetTokenInformation");

  const PSID sid = static_cast<TOKEN_USER*>(user.Get())->User.Sid;
  details.ownerSid.assign(static_cast<const char*>(sid), GetLengthSid(sid));
  details.imagePath.assign(imagePath, pathLength);
  return ProcessQueryResult::kComplete;
}

// Ends a query that stopped at a step: only the failure is kept.
ProcessQueryResult Stopped(ProcessQueryResult result, ProcessDetails& details) {
  if (result != ProcessQueryResult::kComplete) {
    std::string failure = std::move(details.failure);
    details = ProcessDetails{};
    details.failure = std::move(failure);
  }
  return result;
}

}  // namespace

bool WindowsProcessSource::TakeSnapshot(std::vector<SnapshotProcess>& processes, std::string& failure) {
  return snapshot_.Take(processes, failure);
}

bool WindowsProcessSource::EnumerateProcessIds(std::vector<uint32_t>& ids) {
  DWORD table[kProcessIdTableSize];
  DWORD bytes = 0;
  if (!EnumProcesses(table, sizeof table, &bytes)) return false;
  ids.assign(table, table + bytes / sizeof(DWORD));
  return true;
}

ProcessQueryResult WindowsProcessSource::QueryProcess(uint32_t processId, ProcessDetails& details) {
  details = ProcessDetails{};
  UniqueHandle process(OpenForQuery(processId));
  if (!process) return Failed(details, ProcessQueryResult::kOpenProcessFailed, "OpenProcess");
  ProcessQueryResult result = ReadModuleName(process.Get(), details);
  if (result == ProcessQueryResult::kComplete) result = ReadPathAndOwner(process.Get(), details);
  return Stopped(result, details);
}

ProcessQueryResult WindowsProcessSource::QueryNewProcess(uint32_t processId, ProcessDetails& details) {
  details = ProcessDetails{};
  UniqueHandle process(OpenForQuery(processId));
  if (!process) return Failed(details, ProcessQueryResult::kOpenProcessFailed, "OpenProcess");
  // Without a module the call names the main executable, the first module of the list, and
  // spares the listing of every module (most of the cost of a query). Where it fails the list
  // is read as QueryProcess reads it, so that the outcome and its message stay the same.
  char moduleName[1024];
  const DWORD moduleLength = GetModuleBaseNameA(process.Get(), nullptr, moduleName, sizeof moduleName);
  ProcessQueryResult result = ProcessQueryResult::kComplete;
  if (moduleLength != 0)
    details.moduleName.assign(moduleName, moduleLength);
  else
    result = ReadModuleName(process.Get(), details);
  if (result == ProcessQueryResult::kComplete) result = ReadPathAndOwner(process.Get(), details);
  return Stopped(result, details);
}

bool WindowsProcessSource::FindAccountName(const std::string& sid, std::string& account, std::string& failure) {
  // A copy in a buffer of the identifier's own alignment; bytes that are no identifier are refused
  // before the lookup reads them.
  alignas(SID) unsigned char copy[SECURITY_MAX_SID_SIZE] = {};
  const bool fits = sid.size() >= 8 && sid.size() <= sizeof copy;  // 8 bytes: the part every identifier has
  if (fits) std::memcpy(copy, sid.data(), sid.size());
  if (!fits || !IsValidSid(copy) || GetLengthSid(copy) != sid.size()) {
    failure = DescribeWindowsFailure("LookupAccountSidA", ERROR_INVALID_SID);
    return false;
  }
  // The local machine's view of the account; the domain is not used.
  char name[128] = "";
  DWORD nameSize = sizeof name;
  char domain[128] = "";
  DWORD domainSize = sizeof domain;
  SID_NAME_USE use;
  if (!LookupAccountSidA(nullptr, copy, name, &nameSize, domain, &domainSize, &use)) {
    failure = DescribeWindowsFailure("LookupAccountSidA", GetLastError());
    return false;
  }
  account = name;
  return true;
}
