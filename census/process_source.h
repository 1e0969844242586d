#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Room of the process id table: one census considers at most this many ids.
inline constexpr size_t kProcessIdTableSize = 1024;

// How a query of one process ended: complete, or the step at which it stopped.
enum class ProcessQueryResult {
  kComplete,
  kOpenProcessFailed,     // the process cannot be opened for query and memory read
  kReadModulesFailed,     // its first module (the main executable) cannot be read
  kOpenTokenFailed,       // its access token cannot be opened for query
  kTokenSizeFailed,       // the size of the token's user information cannot be learnt
  kReadTokenUserFailed,   // the token's user information cannot be read
  kLookupAccountFailed,   // the user's security identifier has no account name
};

// What a query learns of one process.
struct ProcessDetails {
  std::string owner;       // account name alone, without the domain
  std::string moduleName;  // base name of the main executable; empty when it cannot be read
  std::string imagePath;   // image path in device form (\Device\...); empty when it cannot be read
  std::string failure;     // after a failed step: the system call and its error code
};

// The operating system's list of running processes, with owner, module and image path.
class ProcessSource {
 public:
  virtual ~ProcessSource() = default;
  // Replaces ids with the ids of the running processes in the order the system lists them, at
  // most kProcessIdTableSize of them; false when the system cannot list them.
  virtual bool EnumerateProcessIds(std::vector<uint32_t>& ids) = 0;
  // Queries one process. On kComplete, owner, moduleName and imagePath describe it; on any
  // other result, failure describes the call that failed and the other fields carry nothing.
  virtual ProcessQueryResult QueryProcess(uint32_t processId, ProcessDetails& details) = 0;
};
