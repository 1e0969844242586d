#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "census/process_source.h"

// Running processes held in memory, listed in the order they were added, each in session 1 unless
// set otherwise. Ids listed without a process (SetIdOnly) cannot be opened. Setting a process
// under an id starts another process there, with a creation time of its own, as when the system
// gives an id again. An owner's security identifier is "sid:" and the name, except for a process
// whose account lookup is to fail. A process that cannot be opened still has its executable's
// name in the snapshot; one whose owner cannot be read also answers its name and path.
class FakeProcessSource : public ProcessSource {
 public:
  CallResult<std::vector<uint32_t>> EnumerateProcessIds() override {
    ++enumerations;
    if (failEnumeration) return CallFailure{"EnumProcesses failed with error 1", 1};
    return ids_;
  }

  CallResult<std::vector<SnapshotProcess>> TakeSnapshot() override {
    ++snapshots;
    if (failEnumeration || !snapshotAvailable) return CallFailure{"NtQuerySystemInformation failed with error 1", 1};
    std::vector<SnapshotProcess> processes;
    for (const uint32_t id : ids_) {
      const auto found = processes_.find(id);
      if (found == processes_.end())
        processes.push_back({id, 0, 0, {}});
      else
        processes.push_back({id, found->second.creationTime, found->second.sessionId, found->second.moduleName});
    }
    return processes;
  }

  ProcessQueryResult QueryProcess(uint32_t processId, ProcessDetails& details) override {
    queried.push_back(processId);
    details = {};
    const auto found = processes_.find(processId);
    if (found == processes_.end() || found->second.result == ProcessQueryResult::kOpenProcessFailed) {
      details.failure = found == processes_.end() ? "OpenProcess failed with error 87" : found->second.failure;
      return ProcessQueryResult::kOpenProcessFailed;
    }
    const Entry& entry = found->second;
    details.moduleName = entry.moduleName;
    details.imagePath = entry.imagePath;
    if (entry.result == ProcessQueryResult::kComplete || entry.result == ProcessQueryResult::kLookupAccountFailed) {
      details.ownerSid = entry.result == ProcessQueryResult::kComplete ? "sid:" + entry.owner : "unknown:" + entry.failure;
      return ProcessQueryResult::kComplete;
    }
    details.failure = entry.failure;
    return entry.result;
  }

  CallResult<uint32_t> FindProcessSession(uint32_t processId) override {
    const auto found = processes_.find(processId);
    if (found == processes_.end() || found->second.sessionId == kUnknownSession)
      return CallFailure{"ProcessIdToSessionId failed with error 87", 87};
    return found->second.sessionId;
  }

  CallResult<std::string> FindAccountName(const std::string& sid) override {
    lookedUp.push_back(sid);
    if (sid.rfind("sid:", 0) == 0) return sid.substr(4);
    return CallFailure{sid.substr(sid.find(':') + 1)};
  }

  // Starts a process that answers every query under the id.
  void SetProcess(uint32_t id, std::string owner, std::string moduleName, std::string imagePath) {
    SetProcessAt(id, ++lastCreationTime_, ProcessQueryResult::kComplete, std::move(owner), std::move(moduleName),
                 std::move(imagePath));
  }
  // Starts a process whose owner cannot be read: its query stops at the step of `result`,
  // reporting `failure` as its cause.
  void SetFailingProcess(uint32_t id, ProcessQueryResult result, std::string failure = "QueryCall failed with error 5",
                         std::string moduleName = {}, std::string imagePath = {}) {
    SetProcessAt(id, ++lastCreationTime_, result, {}, std::move(moduleName), std::move(imagePath), std::move(failure));
  }
  // Moves the process under the id to another session (kUnknownSession: the system does not say).
  void SetSession(uint32_t id, uint32_t sessionId) { processes_.at(id).sessionId = sessionId; }
  // Places a process with the given creation time under the id, listed at the end when the id is
  // new. For kLookupAccountFailed the module and path are answered and the owner's lookup fails.
  void SetProcessAt(uint32_t id, int64_t creationTime, ProcessQueryResult result, std::string owner,
                    std::string moduleName, std::string imagePath, std::string failure = "QueryCall failed with error 5") {
    SetIdOnly(id);
    processes_[id] = {creationTime, result, std::move(owner), std::move(moduleName), std::move(imagePath),
                      std::move(failure), 1};
  }
  // Lists an id that has no process behind it.
  void SetIdOnly(uint32_t id) {
    if (std::find(ids_.begin(), ids_.end(), id) == ids_.end()) ids_.push_back(id);
  }
  void RemoveProcess(uint32_t id) {
    processes_.erase(id);
    ids_.erase(std::remove(ids_.begin(), ids_.end(), id), ids_.end());
  }
  void RemoveAll() {
    processes_.clear();
    ids_.clear();
  }

  bool failEnumeration = false;    // neither the ids nor a snapshot can be had
  bool snapshotAvailable = true;   // false: the system gives no snapshot, the ids can be listed
  int enumerations = 0;
  int snapshots = 0;
  std::vector<uint32_t> queried;    // ids queried, in order
  std::vector<std::string> lookedUp;  // security identifiers asked about, in order

 private:
  struct Entry {
    int64_t creationTime = 0;
    ProcessQueryResult result = ProcessQueryResult::kComplete;
    std::string owner;
    std::string moduleName;
    std::string imagePath;
    std::string failure;
    uint32_t sessionId = 1;
  };

  std::vector<uint32_t> ids_;
  std::unordered_map<uint32_t, Entry> processes_;
  int64_t lastCreationTime_ = 1000;
};
