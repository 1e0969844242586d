#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <optional>

#include "platform/log_file_system.h"
#include "platform/regional_format.h"
#include "settings/registry_access.h"

// The programs an account ran most today, read from the lines of the service's process log: each
// "O[" line starts a process, its "X[" line (the same process line) ends it, and a process still
// running counts up to now. A process that started before today counts from midnight. The event
// times are in the system's regional formats, as the service wrote them.

struct ProgramTime {
  std::string program;  // the module name, "notepad.exe"
  int minutes = 0;      // running today, its processes added up
};

// The programs of the account (its name in any letter case), most minutes first, at most `most`.
std::vector<ProgramTime> ProgramsToday(const std::vector<std::string>& logLines, const std::string& account,
                                       const RegionalFormat& format, double now, size_t most);

// The last lines of the service's process log (in the folder Path names; at most its last 4 MB),
// or nothing when Path is not set or the file is absent, not to be trusted or cannot be read.
std::optional<std::vector<std::string>> ReadProcessLog(RegistryAccess& registry, LogFileSystem& files);
