#pragma once

#include <optional>
#include <string>

class LogFileSystem;
class ServiceState;

// Where the log files are written, and what the choice has to say.
struct LogPlace {
  std::optional<std::string> prefix;  // the folder prefix of the files; nothing: no folder to write to
  std::optional<std::string> notice;  // for the debug log at level 1, when a refused AppPath was just chosen against
};

// The folder prefix the log files are written with: AppPath, unless standard users may write to
// its folder (or its access list cannot be read), where a child could plant a file for the
// service to follow or replace; then the service's own folder, made private first. Nothing when
// there is no folder to write to. Chosen once for each value of AppPath, and a refused AppPath
// gives its notice then. A folder that does not exist is left to the write, which fails.
LogPlace ChooseLogPlace(ServiceState& service);

// The service's log file system; a platform without one is a fault of the program.
LogFileSystem& FilesOf(ServiceState& service);

// The folder a log file with this prefix lands in, with its trailing separator ("." for none).
std::string FolderOfPrefix(const std::string& prefix);
