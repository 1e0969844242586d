#pragma once

#include <optional>
#include <string>

#include "base/call_result.h"
#include "platform/log_file_system.h"

// Which log files the service trusts, and how its own log folder is kept from standard users.
// The service runs as LocalSystem and may be told to write into a folder that others prepared.

// Why a log file is not one to trust, naming the path; nothing when it is: a plain file, not a
// link (no reparse point, no symbolic link), no other name for it (no hard link), owned by
// LocalSystem, the Administrators group or `self`, the account the process runs as. The rule every
// LogFileSystem is made with.
std::optional<std::string> LogFileDistrust(const std::string& path, const PathFacts& facts, const std::string& self);

// True when the file exists and is one to trust, as above.
bool IsTrustedLogFile(LogFileSystem& files, const std::string& path);

// Makes the service's own log folder so that only LocalSystem and the Administrators may change it
// and its parent, the parent first: each is created with that access list, or given it (and the
// Administrators as owner) when it exists with a broader one. Fails on a link or a file in either
// place, and on a change that was refused or left the folder open.
CallResult<void> MakeServiceLogFolderPrivate(LogFileSystem& files);
