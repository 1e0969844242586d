#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/call_result.h"
#include "core/session_presence.h"

// How a query of one process ended: complete, or the step at which its owner could not be read.
enum class ProcessQueryResult {
  kComplete,
  kOpenProcessFailed,     // the process cannot be opened for a limited query
  kOpenTokenFailed,       // its access token cannot be opened for query
  kReadTokenUserFailed,   // the token's user information cannot be read
  kLookupAccountFailed,   // the user's security identifier has no account name
};

// What a query learns of one process.
struct ProcessDetails {
  std::string moduleName;  // file name of the main executable, from its image path; empty when unknown
  std::string imagePath;   // image path in device form (\Device\...); empty when it cannot be read
  std::string ownerSid;    // the security identifier of the process's user, in its binary form
  std::string failure;     // after a failed step: the system call and its error code
};

// One process as the system's snapshot lists it. The id and the creation time together name one
// process for its whole life: an id that an ended process gave back can go to a new process,
// which has another creation time.
struct SnapshotProcess {
  uint32_t id = 0;
  int64_t creationTime = 0;               // the system's time stamp, in its own units
  uint32_t sessionId = kUnknownSession;   // the session the process runs in
  std::string imageName;                  // the file name of its executable, as the system keeps it
};

// The operating system's list of running processes, with owner, executable and session. Nothing
// here reads a process's own memory: the answers come from the system's records of the process.
class ProcessSource {
 public:
  virtual ~ProcessSource() = default;
  // The ids of every running process, in the order the system lists them, or the failed call.
  virtual CallResult<std::vector<uint32_t>> EnumerateProcessIds() = 0;
  // Every running process, in the order in which EnumerateProcessIds lists them, from one
  // snapshot of the system; or the failed call and its error when the system gives none.
  virtual CallResult<std::vector<SnapshotProcess>> TakeSnapshot() = 0;
  // Queries one process up to its owner's security identifier. moduleName and imagePath are
  // filled as far as they could be read whatever the result; on kComplete ownerSid is too, and on
  // any other result failure describes the call that failed. kLookupAccountFailed is never
  // returned here.
  virtual ProcessQueryResult QueryProcess(uint32_t processId, ProcessDetails& details) = 0;
  // The session a process runs in, for a census without a snapshot; or the failed call and its
  // error when the system cannot say.
  virtual CallResult<uint32_t> FindProcessSession(uint32_t processId) = 0;
  // The account name (without the domain) of a security identifier on the local machine; or the
  // failed call and its error when it has none.
  virtual CallResult<std::string> FindAccountName(const std::string& sid) = 0;
};
