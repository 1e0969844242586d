#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "census/process_source.h"

// Running processes held in memory, listed in the order they were added. Unlike the system it
// lists every id it holds, more than the id table's room if the test adds them, so the census's
// own limit shows. Ids listed without a process (SetIdOnly) cannot be opened.
class FakeProcessSource : public ProcessSource {
 public:
  bool EnumerateProcessIds(std::vector<uint32_t>& ids) override {
    ++enumerations;
    if (failEnumeration) return false;
    ids = ids_;
    return true;
  }

  ProcessQueryResult QueryProcess(uint32_t processId, ProcessDetails& details) override {
    queried.push_back(processId);
    const auto found = processes_.find(processId);
    if (found == processes_.end()) {
      details.failure = "OpenProcess failed with error 87";
      return ProcessQueryResult::kOpenProcessFailed;
    }
    if (found->second.result != ProcessQueryResult::kComplete) {
      details.failure = found->second.details.failure;
      return found->second.result;
    }
    details = found->second.details;
    return ProcessQueryResult::kComplete;
  }

  // Adds a process that answers every query, or changes the one with this id in place.
  void SetProcess(uint32_t id, std::string owner, std::string moduleName, std::string imagePath) {
    Entry& entry = Place(id);
    entry.result = ProcessQueryResult::kComplete;
    entry.details = {std::move(owner), std::move(moduleName), std::move(imagePath), {}};
  }
  // Adds a process whose query stops at the step of `result`, reporting `failure` as its cause.
  void SetFailingProcess(uint32_t id, ProcessQueryResult result,
                         std::string failure = "QueryCall failed with error 5") {
    Entry& entry = Place(id);
    entry.result = result;
    entry.details = {};
    entry.details.failure = std::move(failure);
  }
  // Lists an id that has no process behind it.
  void SetIdOnly(uint32_t id) {
    if (std::find(ids_.begin(), ids_.end(), id) == ids_.end()) ids_.push_back(id);
  }
  void RemoveProcess(uint32_t id) {
    processes_.erase(id);
    ids_.erase(std::remove(ids_.begin(), ids_.end(), id), ids_.end());
  }

  bool failEnumeration = false;
  int enumerations = 0;
  std::vector<uint32_t> queried;  // ids asked about, in order

 private:
  struct Entry {
    ProcessQueryResult result = ProcessQueryResult::kComplete;
    ProcessDetails details;
  };
  Entry& Place(uint32_t id) {
    const auto [entry, added] = processes_.try_emplace(id);
    if (added) SetIdOnly(id);
    return entry->second;
  }

  std::vector<uint32_t> ids_;
  std::unordered_map<uint32_t, Entry> processes_;
};
