#pragma once

#include <string>
#include <vector>

// What the command line asks for.
struct CommandLineSwitches {
  bool install = false;
  bool uninstall = false;
  bool silent = false;
};

// True when one of the arguments is the switch: "-" or "/" followed by exactly the name, in any
// letter case. The program name is not among the arguments.
bool FindSwitch(const std::vector<std::string>& arguments, const std::string& name);
// The switches "INSTALL", "UNINSTALL" and "SILENT" among the arguments.
CommandLineSwitches ParseSwitches(const std::vector<std::string>& arguments);
