#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/string_list.h"

class ServiceState;

// The debug log ("debug.log") and the process log ("process.log"): lines are buffered in the
// service object and written out in batches by a flush.

inline constexpr char kDebugLogName[] = "debug.log";
inline constexpr char kProcessLogName[] = "process.log";
// A log file that has reached this size is cut back to its newest lines by a trim.
inline constexpr long long kTrimSize = 1'048'576;
// What a log that a flush finds over kTrimSize is cut back to: its newest lines within 7/8 of the
// limit, so that a log in steady use is rewritten once per 128 KiB written, not at every flush.
inline constexpr long long kRunningTrimKeep = kTrimSize - kTrimSize / 8;
// The piece of a log file a trim reads or copies at a time; no trim holds more in memory.
inline constexpr size_t kTrimPieceSize = 64 * 1024;
// Room of one composed debug-log line.
inline constexpr size_t kMaxLogLineLength = 1023;
// Most lines a log buffer holds while its file cannot be written; beyond, the oldest are dropped.
inline constexpr int kMaxBufferedLines = 10'000;

// True when a message of this threshold (1 to 4) is produced at the debug level: the level
// divided by the threshold, truncating toward zero, is not 0 (so -3 acts as 3, 0 silences).
bool LevelAllows(int debugLevel, int threshold);

// Stamps the text "[dd.mm.yyyy hh:nn:ss] text" with the service's local time and appends it to
// ProcessEvents for selector 1, to DebugLines for any other selector. Lines are cut at 1023
// characters. A buffer holding kMaxBufferedLines first drops its oldest tenth, and the next
// write of its file says how many lines were dropped.
void WriteLog(ServiceState& service, int selector, std::string_view text);
// WriteLog with selector 0 when DebugLevel allows the threshold.
void WriteLogAt(ServiceState& service, int threshold, std::string_view text);
// Appends ready-made lines to ProcessEvents (the census's event lines carry their own time).
void AppendProcessEvents(ServiceState& service, const std::vector<std::string>& lines);

// Appends every line of the buffer to the log folder's file (LogPrefix + fileName) and empties the
// buffer. An empty buffer creates no file. When the file cannot be written, or is not to be
// trusted (a link, another account's file), the buffer keeps its lines, the reason is logged once
// at level 1 and false is returned. The file is given the hidden attribute. A file the append
// leaves over kTrimSize is cut back to its newest lines within kRunningTrimKeep, as TrimLog cuts.
bool FlushLog(ServiceState& service, StringList* buffer, const char* fileName);
// Flushes DebugLines (only when DebugLevel is not 0) and ProcessEvents; the result is that of
// the process log.
bool FlushLogs(ServiceState& service);
// Cuts a log file of at least 1,048,576 bytes back to its newest whole lines within that size,
// reading and copying a piece at a time, never the whole file at once. The kept lines are
// written to a new file "<file>.trim", created only where nothing of that name exists (a
// leftover of the service's own is removed first), that takes the old one's place only when it
// was written whole, so a failure leaves the old file as it was. False when the file cannot be
// read or replaced; the reason is logged once at level 1 (as for a cut-back at a flush), and again
// only when it changes or after a cut-back that worked.
bool TrimLog(ServiceState& service, const char* fileName);
// Trims debug.log, then process.log; true when both TrimLog calls were.
bool TrimLogs(ServiceState& service);
