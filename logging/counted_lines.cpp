#include "logging/counted_lines.h"

#include <optional>
#include <vector>

#include "core/service_state.h"
#include "logging/logs.h"

namespace {

struct DueLine {
  int level;
  std::string text;
};

// The line to write for the kind's lines not written (with their number when there are more than
// one), and the kind marked written now.
DueLine TakeLine(ServiceState::CountedLine& line, uint64_t nowMs) {
  DueLine due{line.level, line.text};
  if (line.unwritten > 1)
    due.text += " (" + std::to_string(line.unwritten) + " times in the last " +
                std::to_string((nowMs - line.writtenAtMs.value_or(nowMs)) / 1000) + " s)";
  line.writtenAtMs = nowMs;
  line.unwritten = 0;
  return due;
}

bool MinuteOver(const ServiceState::CountedLine& line, uint64_t nowMs) {
  return !line.writtenAtMs || nowMs - *line.writtenAtMs >= kCountedLineIntervalMs;
}

}  // namespace

void WriteCountedLine(ServiceState& service, const std::string& kind, int level, const std::string& text) {
  const uint64_t nowMs = service.Platform().clock->TickMilliseconds();
  std::optional<DueLine> due;
  {
    std::lock_guard lock(service.CountedLinesMutex());
    ServiceState::CountedLine& line = service.CountedLines[kind];
    line.level = level;
    line.text = text;
    ++line.unwritten;
    if (MinuteOver(line, nowMs)) due = TakeLine(line, nowMs);
  }
  if (due) WriteLogAt(service, due->level, due->text);
}

void WriteDueCountedLines(ServiceState& service) {
  const uint64_t nowMs = service.Platform().clock->TickMilliseconds();
  std::vector<DueLine> due;
  {
    std::lock_guard lock(service.CountedLinesMutex());
    for (auto& [kind, line] : service.CountedLines)
      if (line.unwritten > 0 && MinuteOver(line, nowMs)) due.push_back(TakeLine(line, nowMs));
  }
  for (const DueLine& line : due) WriteLogAt(service, line.level, line.text);
}
