#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "census/process_source.h"
#include "core/known_processes.h"

class ServiceState;

// Widths of the census's texts; longer texts are cut to them.
inline constexpr size_t kOwnerNameWidth = 99;
inline constexpr size_t kModuleNameWidth = 99;
inline constexpr size_t kImagePathWidth = 1023;
inline constexpr size_t kProcessLineWidth = 1023;

// The message of a failed query step and the debug level from which it is written; threshold 0
// for a step that fails without a message.
struct StepMessage {
  int threshold = 0;
  std::string text;
};

// The message of the step at which the query of process pid stopped.
StepMessage MessageFor(ProcessQueryResult result, uint32_t pid);

// Writes the message of a failed step, then the failed call and its error, when the debug level
// allows the step's threshold (never for threshold 0).
void WriteStepMessage(ServiceState& service, int threshold, std::string_view message, std::string_view failure);

// What the query of one process and of its owner's account name gave.
struct ProcessAnswer {
  ProcessQueryResult result = ProcessQueryResult::kComplete;
  std::string owner;       // on kComplete: cut to kOwnerNameWidth
  std::string moduleName;  // as far as it was read, cut to kModuleNameWidth
  std::string imagePath;   // as far as it was read, cut to kImagePathWidth
  std::string ownerSid;    // on kComplete
  std::string failure;     // otherwise: the failed call and its error
};

// Completes the query of one process (result and details from QueryProcess) with the account
// name of its owner. The name comes from owners when that table holds the owner's security
// identifier, and a name looked up is added to it; without a table every owner is looked up.
ProcessAnswer AnswerQuery(ProcessSource& source, ProcessQueryResult result, ProcessDetails& details,
                          KnownOwnerTable* owners);

// The process line "pid | owner | module | path " (with the trailing blank), cut to its width.
std::string ComposeProcessLine(uint32_t pid, const std::string& owner, const std::string& moduleName,
                               const std::string& imagePath);
