#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "census/process_source.h"

// The system's process snapshot: NtQuerySystemInformation with SystemProcessInformation, the
// call EnumProcesses makes itself, resolved from ntdll when the object is built.
class SystemProcessSnapshot {
 public:
  SystemProcessSnapshot();
  // A snapshot that resolves another name from ntdll (a missing one, say) and starts with a
  // buffer of the given size.
  static SystemProcessSnapshot ForTesting(const char* callName, size_t firstBufferBytes) {
    return SystemProcessSnapshot(callName, firstBufferBytes);
  }
  // Replaces processes with the id, creation time, session and executable's name of every
  // process, in the system's order.
  // False when the call is missing or fails; failure then names the call and its error.
  bool Take(std::vector<SnapshotProcess>& processes, std::string& failure);

 private:
  using QueryCall = long (*)(unsigned long, void*, unsigned long, unsigned long*);
  using StatusToErrorCall = unsigned long (*)(long);

  SystemProcessSnapshot(const char* callName, size_t firstBufferBytes);

  std::string DescribeStatus(long status) const;

  QueryCall query_ = nullptr;
  StatusToErrorCall statusToError_ = nullptr;
  std::string missing_;  // why query_ could not be resolved
  size_t firstBufferBytes_;
  // Kept from one snapshot to the next, so that a tick takes no new memory; 8-byte words, as the
  // entries hold 64-bit fields.
  std::vector<uint64_t> buffer_;
};
