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

// What the census learnt of a process when it first saw it: its process line when its owner's
// account name was read, or else what it needs to count the process for the user of its session
// (and the message of the step at which the owner could not be read).
struct KnownProcess {
  bool ownerRead = false;    // the owner's account name was read from the process's token
  std::string line;          // when ownerRead: its process line
  std::string owner;         // when ownerRead: its owner's account name, cut to its width
  std::string ownerSid;      // when ownerRead: the owner's security identifier
  std::string moduleName;    // otherwise: the executable's name and image path for its line,
  std::string imagePath;     //   cut to their widths
  int messageThreshold = 0;  // otherwise: the debug level from which the message is written
  std::string message;       // otherwise: the message of the failed step
  std::string failure;       // otherwise: the failed call and its error code
};

// The processes of the last census that the census remembers, by process.
using KnownProcessTable = std::unordered_map<ProcessKey, KnownProcess, ProcessKeyHash>;
// Account names by security identifier, as the account lookup gave them.
using KnownOwnerTable = std::unordered_map<std::string, std::string>;

// The user of a session as the census asked it, with a process of that session that was running
// then: while that process runs, the session is the same one (a session's id is given again
// after its last process has ended).
struct KnownSessionUser {
  std::string user;
  ProcessKey witness;
};
// The users of the sessions the census asked about, by session id; only sessions with a user.
using KnownSessionUserTable = std::unordered_map<uint32_t, KnownSessionUser>;
