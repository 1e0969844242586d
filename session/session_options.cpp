#include "session/session_options.h"

#include <string_view>

#include "base/string_list.h"
#include "settings/stored_formats.h"

namespace {

// The number of the switch when it is given within [low, high]; otherwise the fallback.
int NumberSwitch(const std::vector<std::string>& arguments, const std::string& name, int low, int high, int fallback) {
  const std::optional<std::string> text = FindSwitchValue(arguments, name);
  if (!text) return fallback;
  const std::optional<int32_t> number = ParseDecimal32(*text);
  return number && *number >= low && *number <= high ? *number : fallback;
}

}  // namespace

std::optional<std::string> FindSwitchValue(const std::vector<std::string>& arguments, const std::string& name) {
  for (const std::string& argument : arguments) {
    if (argument.empty() || (argument[0] != '-' && argument[0] != '/')) continue;
    const size_t equals = argument.find('=');
    if (equals == std::string::npos) continue;
    if (SameText(std::string_view(argument).substr(1, equals - 1), name)) return argument.substr(equals + 1);
  }
  return std::nullopt;
}

SessionCommandLine ParseSessionCommandLine(const std::vector<std::string>& arguments) {
  SessionCommandLine commandLine;
  commandLine.switches = ParseSwitches(arguments);
  const SessionTiming defaults;
  commandLine.timing.countdownSeconds = NumberSwitch(arguments, "COUNTDOWN", 1, defaults.countdownSeconds, defaults.countdownSeconds);
  commandLine.timing.pollMilliseconds = NumberSwitch(arguments, "POLL", 100, defaults.pollMilliseconds, defaults.pollMilliseconds);
  commandLine.logoffLogForTesting = FindSwitchValue(arguments, "LOGOFFLOGFORTESTING").value_or("");
  commandLine.servicesSessionForTesting =
      static_cast<uint32_t>(NumberSwitch(arguments, "SERVICESESSIONFORTESTING", 0, 65535, 0));
  return commandLine;
}
