#include "logging/logs.h"

#include <mutex>
#include <stdexcept>

#include "core/log_file_trust.h"
#include "core/service_state.h"
#include "core/service_time.h"
#include "logging/log_folder.h"
#include "base/date_time.h"

namespace {

// Gives the file the hidden attribute when it can be read and lacks it; the other bits (read-only
// included) are dropped then. A file that is already hidden is not touched.
void HideFile(ServiceState& service, const std::string& path) {
  FileAttributes* attributes = service.Platform().fileAttributes;
  if (attributes == nullptr) return;
  const auto current = attributes->Get(path);
  if (current && (*current & kFileAttributeHidden) == 0) attributes->Set(path, kFileAttributeHidden);
}

// The prefix of the log files; a choice made now against a refused AppPath is logged.
std::optional<std::string> LogPrefix(ServiceState& service) {
  LogPlace place = ChooseLogPlace(service);
  if (place.notice) WriteLogAt(service, 1, *place.notice);
  return place.prefix;
}

// The count of lines dropped from the buffer while it was full.
int64_t& DroppedFrom(ServiceState& service, const StringList& buffer) {
  return &buffer == &service.ProcessEvents ? service.LogOutput.droppedProcessEvents
                                           : service.LogOutput.droppedDebugLines;
}

// Appends the line to a buffer that holds at most kMaxBufferedLines: a full one first drops its
// oldest tenth, so a log that cannot be written for a long time does not eat the memory.
void AppendLimited(ServiceState& service, StringList& buffer, std::string line) {
  if (buffer.Count() >= kMaxBufferedLines) {
    const int dropped = kMaxBufferedLines / 10;
    buffer.DeleteFirst(dropped);
    DroppedFrom(service, buffer) += dropped;
  }
  buffer.Add(std::move(line));
}

std::string StampedLine(ServiceState& service, std::string_view text) {
  const ServicePlatform& platform = service.Platform();
  std::string line = "[";
  line += FormatLogTimestamp(ServiceLocalNow(service), platform.regionalFormat->TimeSeparator());
  line += "] ";
  line += text;
  if (line.size() > kMaxLogLineLength) line.resize(kMaxLogLineLength);
  return line;
}

// Says once, at level 1, why a log could not be written (or cut back), and nothing more while the
// reason stays; `last` holds the reason said last, emptied by a success.
void NoteOnce(ServiceState& service, std::string& last, const char* what, const std::optional<std::string>& failure) {
  if (!failure) {
    last.clear();
    return;
  }
  if (*failure == last) return;
  last = *failure;
  WriteLogAt(service, 1, std::string("ERROR: Not possible to ") + what + ": " + *failure);
}

// Where the newest whole lines that fit in `keep` bytes of a file of `size` bytes begin: the
// start of the first line that begins at or after size - keep, found by reading from the byte
// before it a piece at a time. 0 when the whole file fits; the size when no line begins there.
std::optional<int64_t> KeptLinesStart(LogFileSystem& files, const std::string& path, int64_t size, int64_t keep) {
  if (size <= keep) return 0;
  int64_t offset = size - keep - 1;
  for (;;) {
    const CallResult<std::string> piece = files.ReadPiece(path, offset, kTrimPieceSize);
    if (!piece) return std::nullopt;
    if (piece.Value().empty()) return size;
    const size_t lineEnd = piece.Value().find('\n');
    if (lineEnd != std::string::npos) return offset + static_cast<int64_t>(lineEnd) + 1;
    offset += static_cast<int64_t>(piece.Value().size());
  }
}

// Cuts the log file back to its newest whole lines within `keep` bytes (the caller holds the
// buffer lock). They are copied to a new file "<file>.trim", created only where nothing of that
// name exists (a leftover of the service's own is removed first), which takes the old one's place
// only when it was written whole, so a failure leaves the old file as it was. Gives why the file
// could not be read or replaced; nothing when it was cut back.
std::optional<std::string> CutBack(ServiceState& service, const std::string& path, int64_t size, int64_t keep) {
  LogFileSystem& files = FilesOf(service);
  const std::optional<int64_t> start = KeptLinesStart(files, path, size, keep);
  if (!start) return path + " could not be read to cut it back";
  const std::string replacement = path + ".trim";
  using Creation = LogFileSystem::Creation;
  CallResult<Creation> created = files.CreateNewFileFrom(replacement, path, *start);
  if (created && created.Value() == Creation::kAlreadyExists && IsTrustedLogFile(files, replacement) &&
      files.RemoveFile(replacement))
    created = files.CreateNewFileFrom(replacement, path, *start);
  if (!created) return replacement + " could not be written";
  if (created.Value() == Creation::kAlreadyExists) return replacement + " is in the way and is not the service's own";

  // A hidden file cannot be replaced on every Windows version; it is hidden again below.
  service.Platform().fileAttributes->Set(path, kFileAttributeNormal);
  const CallResult<void> replaced = files.ReplaceFile(replacement, path);
  if (!replaced) (void)files.RemoveFile(replacement);
  HideFile(service, path);
  if (!replaced) return replaced.Failure();
  return std::nullopt;
}

}  // namespace

bool LevelAllows(int debugLevel, int threshold) { return debugLevel / threshold != 0; }

void WriteLog(ServiceState& service, int selector, std::string_view text) {
  std::string line = StampedLine(service, text);
  std::lock_guard lock(service.LogBufferMutex());
  AppendLimited(service, selector == 1 ? service.ProcessEvents : service.DebugLines, std::move(line));
}

void WriteLogAt(ServiceState& service, int threshold, std::string_view text) {
  if (LevelAllows(service.DebugLevel, threshold)) WriteLog(service, 0, text);
}

void AppendProcessEvents(ServiceState& service, const std::vector<std::string>& lines) {
  std::lock_guard lock(service.LogBufferMutex());
  for (const std::string& line : lines) AppendLimited(service, service.ProcessEvents, line);
}

bool FlushLog(ServiceState& service, StringList* buffer, const char* fileName) {
  if (buffer == nullptr || fileName == nullptr) return false;
  // Chosen before the buffers are locked: the choice may write a line of its own.
  const std::optional<std::string> prefix = LogPrefix(service);
  CallResult<int64_t> appended = int64_t{0};  // set before it is read
  std::optional<std::string> cutFailure;
  std::string path;
  {
    std::lock_guard lock(service.LogBufferMutex());
    if (buffer->Empty()) return true;
    if (!prefix) return false;
    path = *prefix + fileName;
    std::vector<std::string> lines;
    int64_t& dropped = DroppedFrom(service, *buffer);
    if (dropped > 0)
      lines.push_back(StampedLine(service, "ERROR: " + std::to_string(dropped) +
                                               " older lines were dropped while the log could not be written"));
    lines.insert(lines.end(), buffer->begin(), buffer->end());
    appended = FilesOf(service).AppendLines(path, lines);
    if (appended) {
      buffer->Clear();
      dropped = 0;
    }
    // Cut back while the service runs, so that no flood of lines can fill the disk before a stop.
    // Still under the lock: no line can be appended between the copy and the replacement.
    if (appended && appended.Value() > kTrimSize)
      cutFailure = CutBack(service, path, appended.Value(), kRunningTrimKeep);
  }
  if (appended && appended.Value() > kTrimSize)
    NoteOnce(service, service.LogOutput.lastTrimFailure, "cut the log back", cutFailure);
  NoteOnce(service, service.LogOutput.lastFailure, "write the log",
           appended ? std::nullopt : std::optional<std::string>(appended.Failure()));
  if (!appended) return false;
  HideFile(service, path);
  return true;
}

bool FlushLogs(ServiceState& service) {
  if (service.DebugLevel != 0) FlushLog(service, &service.DebugLines, kDebugLogName);
  return FlushLog(service, &service.ProcessEvents, kProcessLogName);
}

bool TrimLog(ServiceState& service, const char* fileName) {
  const std::optional<std::string> prefix = LogPrefix(service);
  if (!prefix) return false;
  const std::string path = *prefix + fileName;
  std::optional<std::string> failure;
  {
    std::lock_guard lock(service.LogBufferMutex());
    const CallResult<std::optional<int64_t>> size = FilesOf(service).FileSize(path);
    if (!size || !size.Value()) return false;
    if (*size.Value() < kTrimSize) return true;
    failure = CutBack(service, path, *size.Value(), kTrimSize);
  }
  NoteOnce(service, service.LogOutput.lastTrimFailure, "cut the log back", failure);
  return !failure;
}

bool TrimLogs(ServiceState& service) {
  const bool debugTrimmed = TrimLog(service, kDebugLogName);
  const bool processTrimmed = TrimLog(service, kProcessLogName);
  return debugTrimmed && processTrimmed;
}
