#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "session/session_tool.h"

// What the session tool's command line asks for: "INSTALL", "UNINSTALL" and "SILENT" as for the
// service, and switches of the form "/NAME=VALUE" (or "-NAME=VALUE", the name in any letter case):
//   /COUNTDOWN=SECONDS   a shorter countdown before the logoff (1 to 60; 60 when not given)
//   /POLL=MILLISECONDS   more frequent polls (100 to 5000; 5000 when not given)
//   /LOGOFFLOGFORTESTING=PATH  test hook: append a line to the file instead of logging off.
// The first two can only make the tool stricter, so a user who starts a copy of it gains nothing.
// A value out of range or not a decimal number is ignored.
struct SessionCommandLine {
  CommandLineSwitches switches;
  SessionTiming timing;
  std::string logoffLogForTesting;
};

// The text after "=" of the first argument "/NAME=..." or "-NAME=..." (name in any case).
std::optional<std::string> FindSwitchValue(const std::vector<std::string>& arguments, const std::string& name);
// Reads the session tool's switches; the program name is not among the arguments.
SessionCommandLine ParseSessionCommandLine(const std::vector<std::string>& arguments);
