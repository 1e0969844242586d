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
//   /SERVICESESSIONFORTESTING=N  test hook: the session the service runs in (0 when not given;
//                        Wine runs every program in session 1).
// The first two can only make the tool stricter, so a user who starts a copy of it gains nothing;
// nor does the last, as the pipe's server must still be the service's own process.
// A value out of range or not a decimal number is ignored.
struct SessionCommandLine {
  CommandLineSwitches switches;
  SessionTiming timing;
  std::string logoffLogForTesting;
  uint32_t servicesSessionForTesting = 0;
};

// The text after "=" of the first argument "/NAME=..." or "-NAME=..." (name in any case).
std::optional<std::string> FindSwitchValue(const std::vector<std::string>& arguments, const std::string& name);
// Reads the session tool's switches; the program name is not among the arguments.
SessionCommandLine ParseSessionCommandLine(const std::vector<std::string>& arguments);
