#pragma once

#include <optional>
#include <string>

class ServiceState;

// The folder prefix the log files are written with: AppPath, unless standard users may write to
// its folder (or its access list cannot be read), where a child could plant a file for the
// service to follow or replace; then the service's own folder, made private first. Nothing when
// there is no folder to write to. Chosen once for each value of AppPath, and a refused AppPath is
// logged at level 1 then. A folder that does not exist is left to the write, which fails.
std::optional<std::string> LogPrefix(ServiceState& service);

// The folder a log file with this prefix lands in, with its trailing separator ("." for none).
std::string FolderOfPrefix(const std::string& prefix);
