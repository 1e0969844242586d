#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The names of the machine's time zones: the key names under
// HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones ("W. Europe Standard Time").

// The room of a zone's key name, without its terminating NUL.
inline constexpr size_t kMaxZoneKeyLength = 127;

// Why the text cannot be a zone's key name: it is empty or too long, or holds a backslash (which
// would name another key), a control character or one beyond ASCII. Nothing when it can.
std::optional<std::string> ZoneNameProblem(std::string_view name);
