#pragma once

#include <cstdint>
#include <string>

class ServiceState;

// Debug lines that any program can cause at will (a client flooding the pipe with requests, or
// taking it and saying nothing) must not grow the log without end: each kind is written at once,
// then at most once a minute, with the number of lines of the kind that came in between.

// How long after a line of a kind the next one waits.
inline constexpr uint64_t kCountedLineIntervalMs = 60'000;

// Writes the line of the kind at the level now when no line of the kind was written in the last
// minute, with the count of those that came in between; otherwise counts it. The time is the tick
// clock's, which nobody can set.
void WriteCountedLine(ServiceState& service, const std::string& kind, int level, const std::string& text);
// Writes, for each kind whose minute has run out, the latest line with the count of those not
// written; called by every tick, so a count is written when the lines stop coming too.
void WriteDueCountedLines(ServiceState& service);
