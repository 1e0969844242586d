#include "core/command_line.h"

#include "base/string_list.h"

bool FindSwitch(const std::vector<std::string>& arguments, const std::string& name) {
  for (const std::string& argument : arguments) {
    if (argument.size() < 2 || (argument[0] != '-' && argument[0] != '/')) continue;
    if (SameText(std::string_view(argument).substr(1), name)) return true;
  }
  return false;
}

CommandLineSwitches ParseSwitches(const std::vector<std::string>& arguments) {
  return {FindSwitch(arguments, "INSTALL"), FindSwitch(arguments, "UNINSTALL"), FindSwitch(arguments, "SILENT")};
}
