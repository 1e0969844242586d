#include "census/process_census.h"

#include <string_view>
#include <unordered_set>
#include <vector>

#include "census/process_changes.h"
#include "census/process_source.h"
#include "logging/logs.h"
#include "platform/regional_format.h"
#include "core/service_state.h"

namespace {

void CutTo(std::string& text, size_t width) {
  if (text.size() > width) text.resize(width);
}

// The message of a failed query step and the debug level from which it is written; threshold 0
// for a step that fails without a message.
struct StepMessage {
  int threshold;
  std::string text;
};

StepMessage MessageFor(ProcessQueryResult result, uint32_t pid) {
  switch (result) {
    case ProcessQueryResult::kOpenProcessFailed:
      return {4, "ERROR:Not possible to open process:" + std::to_string(pid)};
    case ProcessQueryResult::kReadModulesFailed:
      return {3, "ERROR:Not possible to read process modules:" + std::to_string(pid)};
    case ProcessQueryResult::kOpenTokenFailed:
      return {3, "ERROR:Not possible to open token"};
    case ProcessQueryResult::kReadTokenUserFailed:
      return {3, "ERROR:Not possible to read user account structure from token"};
    case ProcessQueryResult::kLookupAccountFailed:
      return {2, "ERROR:Not possible to get account name"};
    case ProcessQueryResult::kTokenSizeFailed:
    case ProcessQueryResult::kComplete:
      break;
  }
  return {0, {}};
}

// Appends the event lines of one census: "O[" lines first, in the order of the latest census,
// then "X[" lines in the order of the census before. All carry the time of the tick.
void LogChanges(ServiceState& service, const ProcessChanges& changes) {
  if (changes.appeared.empty() && changes.disappeared.empty()) return;
  const std::string time = FormatGeneralDateTime(*service.Platform().regionalFormat, service.CycleNow);
  std::vector<std::string> lines;
  lines.reserve(changes.appeared.size() + changes.disappeared.size());
  const auto add = [&](std::string_view mark, const std::string& processLine) {
    std::string line;
    line.reserve(mark.size() + time.size() + 4 + processLine.size());
    line += mark;
    line += time;
    line += "] | ";
    line += processLine;
    lines.push_back(std::move(line));
  };
  for (const int i : changes.appeared) add("O[", service.CurrentProcesses[i]);
  for (const int i : changes.disappeared) add("X[", service.PreviousProcesses[i]);
  AppendProcessEvents(service, lines);
}

}  // namespace

std::string ComposeProcessLine(uint32_t pid, const std::string& owner, const std::string& moduleName,
                               const std::string& imagePath) {
  std::string line = std::to_string(pid);
  line.reserve(line.size() + owner.size() + moduleName.size() + imagePath.size() + 10);
  line += " | ";
  line += owner;
  line += " | ";
  line += moduleName;
  line += " | ";
  line += imagePath;
  line += ' ';
  CutTo(line, kProcessLineWidth);
  return line;
}

bool GetProcessInfo(ServiceState& service, uint32_t pid, std::string& owner, std::string& moduleName,
                    std::string& imagePath) {
  owner.clear();
  ProcessSource* source = service.Platform().processSource;
  if (source == nullptr) return false;
  ProcessDetails details;
  const ProcessQueryResult result = source->QueryProcess(pid, details);
  if (result != ProcessQueryResult::kComplete) {
    const StepMessage message = MessageFor(result, pid);
    if (message.threshold != 0 && LevelAllows(service.DebugLevel, message.threshold)) {
      WriteLog(service, 0, message.text);
      // The product's message does not say why; the next line names the call and its error.
      if (!details.failure.empty()) WriteLog(service, 0, details.failure);
    }
    return false;
  }
  owner = std::move(details.owner);
  moduleName = std::move(details.moduleName);
  imagePath = std::move(details.imagePath);
  CutTo(owner, kOwnerNameWidth);
  CutTo(moduleName, kModuleNameWidth);
  CutTo(imagePath, kImagePathWidth);
  return true;
}

void UpdateProcessList(ServiceState& service) {
  service.CurrentProcesses.Clear();
  service.LoggedOnUsers.Clear();
  ProcessSource* source = service.Platform().processSource;
  std::vector<uint32_t> ids;
  if (source == nullptr || !source->EnumerateProcessIds(ids)) return;
  if (ids.size() > kProcessIdTableSize) ids.resize(kProcessIdTableSize);

  std::unordered_set<std::string, CaseInsensitiveHash, CaseInsensitiveEqual> owners;
  std::string owner, moduleName, imagePath;
  for (const uint32_t pid : ids) {
    if (pid == 0) continue;  // the idle process: no query, no message
    if (!GetProcessInfo(service, pid, owner, moduleName, imagePath)) continue;
    service.CurrentProcesses.Add(ComposeProcessLine(pid, owner, moduleName, imagePath));
    // The first spelling of an owner is the one kept.
    if (owners.find(owner) == owners.end()) {
      owners.insert(owner);
      service.LoggedOnUsers.Add(owner);
    }
  }

  LogChanges(service, CompareCensuses(service.PreviousProcesses, service.CurrentProcesses));
  service.PreviousProcesses.Assign(service.CurrentProcesses);
}
