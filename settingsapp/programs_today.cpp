#include "settingsapp/programs_today.h"

#include <algorithm>
#include <map>
#include <optional>

#include "logging/logs.h"
#include "base/case_folding.h"
#include "settings/value_reads.h"

namespace {

// The most of the process log read: the end of a day's lines, however long the log has grown.
constexpr int64_t kProcessLogTail = 4 << 20;

// The second of the day of a time text in the system's long time format: its numbers taken as
// hour, minute and second (the hour also as a 12-hour one) and kept when the format renders them
// as the very same text.
std::optional<int> SecondOfDay(const RegionalFormat& format, const std::string& text, const DateTimeParts& day) {
  std::vector<int> numbers;
  for (size_t i = 0; i < text.size();) {
    if (text[i] < '0' || text[i] > '9') {
      ++i;
      continue;
    }
    int value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && value < 1000; ++i) value = value * 10 + (text[i] - '0');
    numbers.push_back(value);
  }
  if (numbers.size() < 2) return std::nullopt;
  const int second = numbers.size() > 2 ? numbers[2] : 0;
  for (const int hour : {numbers[0], numbers[0] + 12, numbers[0] == 12 ? 0 : -1}) {
    if (hour < 0 || hour > 23 || numbers[1] > 59 || second > 59) continue;
    DateTimeParts parts = day;
    parts.hour = hour;
    parts.minute = numbers[1];
    parts.second = second;
    if (format.LongTime(parts) == text) return (hour * 60 + numbers[1]) * 60 + second;
  }
  return std::nullopt;
}

// The pieces of a process line "pid | owner | module | path ".
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t bar; (bar = line.find(" | ", start)) != std::string::npos; start = bar + 3)
    fields.push_back(line.substr(start, bar - start));
  fields.push_back(line.substr(start));
  return fields;
}

}  // namespace

std::vector<ProgramTime> ProgramsToday(const std::vector<std::string>& logLines, const std::string& account,
                                       const RegionalFormat& format, double now, size_t most) {
  DateTimeParts today = DecodeDateTime(now);
  const int nowSecond = (today.hour * 60 + today.minute) * 60 + today.second;
  today.hour = today.minute = today.second = 0;
  today.millisecond = 0;
  const std::string date = format.ShortDate(today);
  std::map<std::string, int> started;  // process line -> second it started today
  std::map<std::string, int> seconds;  // module -> seconds running today
  const auto add = [&](const std::string& processLine, int from, int to) {
    const std::vector<std::string> fields = Fields(processLine);
    if (fields.size() >= 3 && SameText(fields[1], account) && to > from) seconds[fields[2]] += to - from;
  };
  for (const std::string& line : logLines) {
    const size_t close = line.find("] | ");
    if (line.size() < 3 || (line[0] != 'O' && line[0] != 'X') || line[1] != '[' || close == std::string::npos) continue;
    const std::string time = line.substr(2, close - 2);
    const std::string processLine = line.substr(close + 4);
    if (time.compare(0, date.size(), date) != 0) {
      // Another day: a process started then and not ended runs today from midnight.
      if (line[0] == 'O') started[processLine] = 0;
      else started.erase(processLine);
      continue;
    }
    std::optional<int> second = 0;  // exactly midnight: the date alone
    if (time.size() > date.size()) {
      if (time[date.size()] != ' ') continue;
      second = SecondOfDay(format, time.substr(date.size() + 1), today);
    }
    if (!second) continue;
    if (line[0] == 'O') {
      started[processLine] = *second;
    } else {
      const auto found = started.find(processLine);
      add(processLine, found != started.end() ? found->second : 0, *second);
      if (found != started.end()) started.erase(found);
    }
  }
  for (const auto& [processLine, from] : started) add(processLine, from, std::max(from, nowSecond));
  std::vector<ProgramTime> programs;
  for (const auto& [program, total] : seconds) programs.push_back({program, (total + 59) / 60});
  std::stable_sort(programs.begin(), programs.end(),
                   [](const ProgramTime& a, const ProgramTime& b) { return a.minutes > b.minutes; });
  if (programs.size() > most) programs.resize(most);
  return programs;
}

std::optional<std::vector<std::string>> ReadProcessLog(RegistryAccess& registry, LogFileSystem& files) {
  std::optional<std::string> folder;
  if (registry.OpenKeyReadOnly(kProductKey)) folder = FindText(registry, "Path").Usable();
  registry.CloseKey();
  if (!folder || folder->empty()) return std::nullopt;
  const std::string path = *folder + kProcessLogName;
  const CallResult<std::optional<int64_t>> sizeRead = files.FileSize(path);
  if (!sizeRead || !sizeRead.Value()) return std::nullopt;
  const int64_t size = *sizeRead.Value();
  const int64_t offset = std::max<int64_t>(0, size - kProcessLogTail);
  const CallResult<std::string> piece = files.ReadPiece(path, offset, static_cast<size_t>(size - offset));
  if (!piece) return std::nullopt;
  const std::string* text = &piece.Value();
  std::vector<std::string> lines;
  size_t start = 0;
  // A read that starts inside the file drops its first, partial line.
  if (offset > 0) start = text->find('\n') == std::string::npos ? text->size() : text->find('\n') + 1;
  while (start < text->size()) {
    size_t end = text->find('\n', start);
    if (end == std::string::npos) end = text->size();
    std::string line = text->substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}
