#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class ServiceState;

// Widths of the census's texts; longer texts are cut to them.
inline constexpr size_t kOwnerNameWidth = 99;
inline constexpr size_t kModuleNameWidth = 99;
inline constexpr size_t kImagePathWidth = 1023;
inline constexpr size_t kProcessLineWidth = 1023;

// Runs one census of the running processes: rebuilds CurrentProcesses (one process line per
// process that could be queried, in the system's order) and LoggedOnUsers (their distinct
// owners), appends an "O[" line to ProcessEvents for every process that appeared since the
// census before and an "X[" line for every one that disappeared, and keeps the lines in
// PreviousProcesses for the next census. The processes come from one snapshot of the system,
// and only those seen for the first time are queried (census/snapshot_census.h); without a
// snapshot every listed process is queried with GetProcessInfo. When the processes cannot be
// listed, both lists stay empty, nothing is logged and PreviousProcesses keeps the last good
// census.
void UpdateProcessList(ServiceState& service);

// Queries one process for its owner's account name, module base name and image path. True when
// all three were obtained; false when the process is to be left out of the census, after the
// message of the failed step at that step's level. The owner is emptied at the start of every
// call; the module name and path are set only on success.
bool GetProcessInfo(ServiceState& service, uint32_t pid, std::string& owner, std::string& moduleName,
                    std::string& imagePath);

// The process line "pid | owner | module | path " (with the trailing blank), cut to its width.
std::string ComposeProcessLine(uint32_t pid, const std::string& owner, const std::string& moduleName,
                               const std::string& imagePath);
