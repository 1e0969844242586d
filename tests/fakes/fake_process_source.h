#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "census/process_source.h"

// Running processes held in memory, listed in the order they were added. Unlike the system it
// lists every id it holds, more than the id table's room if the test adds them, so the census's
// own limit shows. Ids listed without a process (SetIdOnly) cannot be opened. Setting a process
// under an id starts another process there, with a creation time of its own, as when the system
// gives an id again. An owner's security identifier is "sid:" and the name, except for a process
// whose account lookup is to fail.
class FakeProcessSource : public ProcessSource {
 public:
  bool EnumerateProcessIds(std::vector<uint32_t>& ids) override {
    ++enumerations;
    if (failEnumeration) return false;
    ids = ids_;
    return true;
  }

  bool TakeSnapshot(std::vector<SnapshotProcess>& processes, std::string& failure) override {
    ++snapshots;
    if (failEnumeration || !snapshotAvailable) {
      failure = "NtQuerySystemInformation failed with error 1";
      return false;
    }
    processes.clear();
    for (const uint32_t id : ids_) {
      const auto found = processes_.find(id);
      processes.push_back({id, found == processes_.end() ? 0 : found->second.creationTime});
    }
    return true;
  }

  ProcessQueryResult QueryProcess(uint32_t processId, ProcessDetails& details) override {
    queried.push_back(processId);
    details = {};
    const auto found = processes_.find(processId);
    if (found == processes_.end()) {
      details.failure = "OpenProcess failed with error 87";
      return ProcessQueryResult::kOpenProcessFailed;
    }
    const Entry& entry = found->second;
    if (entry.result == ProcessQueryResult::kComplete || entry.result == ProcessQueryResult::kLookupAccountFailed) {
      details.moduleName = entry.moduleName;
      details.imagePath = entry.imagePath;
      details.ownerSid = entry.result == ProcessQueryResult::kComplete ? "sid:" + entry.owner : "unknown:" + entry.failure;
      return ProcessQueryResult::kComplete;
    }
    details.failure = entry.failure;
    return entry.result;
  }

  ProcessQueryResult QueryNewProcess(uint32_t processId, ProcessDetails& details) override {
    ++newProcessQueries;
    return QueryProcess(processId, details);
  }

  bool FindAccountName(const std::string& sid, std::string& account, std::string& failure) override {
    lookedUp.push_back(sid);
    if (sid.rfind("sid:", 0) == 0) {
      account = sid.substr(4);
      return true;
    }
    failure = sid.substr(sid.find(':') + 1);
    return false;
  }

  // Starts a process that answers every query under the id.
  void SetProcess(uint32_t id, std::string owner, std::string moduleName, std::string imagePath) {
    SetProcessAt(id, ++lastCreationTime_, ProcessQueryResult::kComplete, std::move(owner), std::move(moduleName),
                 std::move(imagePath));
  }
  // Starts a process whose query stops at the step of `result`, reporting `failure` as its cause.
  void SetFailingProcess(uint32_t id, ProcessQueryResult result, std::string failure = "QueryCall failed with error 5") {
    SetProcessAt(id, ++lastCreationTime_, result, {}, {}, {}, std::move(failure));
  }
  // Places a process with the given creation time under the id, listed at the end when the id is
  // new. For kLookupAccountFailed the module and path are answered and the owner's lookup fails.
  void SetProcessAt(uint32_t id, int64_t creationTime, ProcessQueryResult result, std::string owner,
                    std::string moduleName, std::string imagePath, std::string failure = "QueryCall failed with error 5") {
    SetIdOnly(id);
    processes_[id] = {creationTime, result, std::move(owner), std::move(moduleName), std::move(imagePath),
                      std::move(failure)};
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
  std::vector<uint32_t> queried;    // ids asked about by either query, in order
  int newProcessQueries = 0;       // how many of them by QueryNewProcess
  std::vector<std::string> lookedUp;  // security identifiers asked about, in order

 private:
  struct Entry {
    int64_t creationTime = 0;
    ProcessQueryResult result = ProcessQueryResult::kComplete;
    std::string owner;
    std::string moduleName;
    std::string imagePath;
    std::string failure;
  };

  std::vector<uint32_t> ids_;
  std::unordered_map<uint32_t, Entry> processes_;
  int64_t lastCreationTime_ = 1000;
};
