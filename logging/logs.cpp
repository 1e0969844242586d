#include "logging/logs.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <system_error>

#include "platform/date_time.h"
#include "core/service_state.h"

namespace {

// Gives the file the hidden attribute when it can be read and lacks it; the other bits (read-only
// included) are dropped then. A file that is already hidden is not touched.
void HideFile(ServiceState& service, const std::string& path) {
  FileAttributes* attributes = service.Platform().fileAttributes;
  if (attributes == nullptr) return;
  const auto current = attributes->Get(path);
  if (current && (*current & kFileAttributeHidden) == 0) attributes->Set(path, kFileAttributeHidden);
}

// The size of the file in bytes, or -1 when it cannot be opened for reading.
long long FileSize(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return -1;
  std::fseek(file, 0, SEEK_END);
  const long long size = std::ftell(file);
  std::fclose(file);
  return size;
}

// Writes every line, each followed by a line end, to a new file; true when all of it was written.
bool WriteWholeFile(const std::string& path, const std::vector<std::string>& lines, size_t first) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  bool written = true;
  for (size_t i = first; i < lines.size() && written; ++i)
    written = std::fputs(lines[i].c_str(), file) >= 0 && std::fputc('\n', file) != EOF;
  return std::fclose(file) == 0 && written;
}

}  // namespace

bool LevelAllows(int debugLevel, int threshold) { return debugLevel / threshold != 0; }

void WriteLog(ServiceState& service, int selector, std::string_view text) {
  const ServicePlatform& platform = service.Platform();
  std::string line = "[";
  line += FormatLogTimestamp(platform.clock->Now(), platform.regionalFormat->TimeSeparator());
  line += "] ";
  line += text;
  if (line.size() > kMaxLogLineLength) line.resize(kMaxLogLineLength);
  std::lock_guard lock(service.LogBufferMutex());
  (selector == 1 ? service.ProcessEvents : service.DebugLines).Add(std::move(line));
}

void WriteLogAt(ServiceState& service, int threshold, std::string_view text) {
  if (LevelAllows(service.DebugLevel, threshold)) WriteLog(service, 0, text);
}

void AppendProcessEvents(ServiceState& service, const std::vector<std::string>& lines) {
  std::lock_guard lock(service.LogBufferMutex());
  for (const std::string& line : lines) service.ProcessEvents.Add(line);
}

bool FlushLog(ServiceState& service, StringList* buffer, const char* fileName) {
  if (buffer == nullptr || fileName == nullptr) return false;
  std::lock_guard lock(service.LogBufferMutex());
  if (buffer->Empty()) return true;
  const std::string path = service.AppPath + fileName;
  // Text mode: every "\n" becomes a carriage return and line feed on Windows.
  std::FILE* file = std::fopen(path.c_str(), "a+");
  if (file == nullptr) return false;
  for (const std::string& line : *buffer) std::fprintf(file, "%s\n", line.c_str());
  std::fclose(file);
  buffer->Clear();
  HideFile(service, path);
  return true;
}

bool FlushLogs(ServiceState& service) {
  if (service.DebugLevel != 0) FlushLog(service, &service.DebugLines, kDebugLogName);
  return FlushLog(service, &service.ProcessEvents, kProcessLogName);
}

bool TrimLog(ServiceState& service, const char* fileName) {
  const std::string path = service.AppPath + fileName;
  const long long size = FileSize(path);
  if (size < 0) return false;
  if (size < kTrimSize) return true;

  std::vector<std::string> lines;
  {
    std::ifstream in(path);  // text mode: line ends come back as "\n"
    if (!in) return false;
    for (std::string line; std::getline(in, line);) lines.push_back(std::move(line));
  }
  const long long excess = size - kTrimSize;
  long long removed = 0;
  size_t first = 0;
  while (removed < excess && first < lines.size()) removed += static_cast<long long>(lines[first++].size());

  const std::string replacement = path + ".trim";
  if (!WriteWholeFile(replacement, lines, first)) {
    std::remove(replacement.c_str());
    return false;
  }
  // A hidden file cannot be replaced on every Windows version; it is hidden again below.
  if (FileAttributes* attributes = service.Platform().fileAttributes) attributes->Set(path, kFileAttributeNormal);
  std::error_code error;
  std::filesystem::rename(replacement, path, error);
  if (error) {
    std::remove(replacement.c_str());
    HideFile(service, path);
    return false;
  }
  HideFile(service, path);
  return true;
}

bool TrimLogs(ServiceState& service) {
  TrimLog(service, kDebugLogName);
  TrimLog(service, kProcessLogName);
  return true;
}
