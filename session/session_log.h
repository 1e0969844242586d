#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// The session tool's own log of what failed, in the user's temporary folder: the tool runs in the
// user's session, where no one reads a debugger's output.
constexpr char kSessionLogName[] = "hourwarden-session.log";
// The most bytes the log holds before it is set aside as "<name>.old".
constexpr uintmax_t kSessionLogLimit = 64 * 1024;

// Appends the line and a line end to the file, creating it when missing. A file that the line
// would take past `limit` bytes is first renamed to "<file>.old", replacing an older one, so the
// two hold at most twice the limit. False when the line could not be written.
bool AppendBoundedLogLine(const std::filesystem::path& file, const std::string& line, uintmax_t limit);
