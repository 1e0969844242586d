#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

// One process for its whole life: its id and its creation time (an id can be given again to a
// new process, never with the same creation time).
struct ProcessKey {
  uint32_t id = 0;
  int64_t creationTime = 0;
  bool operator==(const ProcessKey&) const = default;
};

// Hash of a process key for the census's tables.
struct ProcessKeyHash {
  size_t operator()(const ProcessKey& key) const noexcept {
    return std::hash<uint64_t>{}(static_cast<uint64_t>(key.creationTime) * 0x9E3779B97F4A7C15ull ^ key.id);
  }
};

// What the census learnt of a process when it first saw it: its process line, or the message of
// the step at which it could not be queried.
struct KnownProcess {
  bool listed = false;       // it answered every query and has a process line
  std::string line;          // when listed: its process line
  std::string owner;         // when listed: its owner's account name, cut to its width
  std::string ownerSid;      // when listed: the owner's security identifier
  int messageThreshold = 0;  // when not listed: the debug level from which the message is written
  std::string message;       // when not listed: the message of the failed step
  std::string failure;       // when not listed: the failed call and its error code
};

// The processes of the last census that the census remembers, by process.
using KnownProcessTable = std::unordered_map<ProcessKey, KnownProcess, ProcessKeyHash>;
// Account names by security identifier, as the account lookup gave them.
using KnownOwnerTable = std::unordered_map<std::string, std::string>;
