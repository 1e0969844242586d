#pragma once

#include <string>
#include <vector>

#include "hwctl/hwctl_system.h"

// hwctl, the configuration tool of Hourwarden: every command of its command line, checked against
// the rules of the stored formats before anything is written, working through one registry access.

inline constexpr int kExitSuccess = 0;
// A refused value, an unknown user, a failed registry operation, or problems found by check.
inline constexpr int kExitRefused = 1;
// A command line hwctl does not understand.
inline constexpr int kExitUsage = 2;

// What a command leaves: its exit code, the text for standard output and the one message for
// standard error (empty on success).
struct CommandResult {
  int exitCode = kExitSuccess;
  std::string output;
  std::string error;
};

// Runs the command line (without the program name). --verbose, anywhere on it, adds the registry
// values a command reads or writes to its text.
CommandResult RunHwctl(std::vector<std::string> arguments, const HwctlSystem& system);
