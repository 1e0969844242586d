#include "census/process_census.h"

#include <string_view>
#include <utility>
#include <vector>

#include "census/census_lists.h"
#include "census/process_changes.h"
#include "census/process_query.h"
#include "census/process_source.h"
#include "census/session_owners.h"
#include "census/snapshot_census.h"
#include "core/service_state.h"
#include "logging/logs.h"
#include "core/general_date_time.h"

namespace {

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

// Lists the process ids and queries every process; false when the ids cannot be listed.
bool ListOneByOne(ServiceState& service, ProcessSource& source) {
  CensusLists lists(service);
  const CallResult<std::vector<uint32_t>> ids = source.EnumerateProcessIds();
  if (!ids) return false;
  SessionOwners sessionOwners(service, nullptr);
  std::string owner, moduleName, imagePath;
  uint32_t sessionId = kUnknownSession;
  for (const uint32_t pid : ids.Value()) {
    if (pid == 0) continue;  // the idle process: no query, no message
    if (!GetProcessInfo(service, sessionOwners, pid, owner, moduleName, imagePath, sessionId)) continue;
    lists.Add(ComposeProcessLine(pid, owner, moduleName, imagePath), owner, sessionId);
  }
  return true;
}

}  // namespace

bool GetProcessInfo(ServiceState& service, SessionOwners& sessionOwners, uint32_t pid, std::string& owner,
                    std::string& moduleName, std::string& imagePath, uint32_t& sessionId) {
  owner.clear();
  moduleName.clear();
  imagePath.clear();
  sessionId = kUnknownSession;
  ProcessSource* source = service.Platform().processSource;
  if (source == nullptr) return false;
  ProcessDetails details;
  const ProcessQueryResult result = source->QueryProcess(pid, details);
  ProcessAnswer answer = AnswerQuery(*source, result, details, nullptr);
  moduleName = std::move(answer.moduleName);
  imagePath = std::move(answer.imagePath);
  // A session the system does not give counts as outside every session.
  const CallResult<uint32_t> session = source->FindProcessSession(pid);
  sessionId = session ? session.Value() : kUnknownSession;
  if (answer.result == ProcessQueryResult::kComplete) {
    owner = std::move(answer.owner);
    return true;
  }
  const StepMessage message = MessageFor(answer.result, pid);
  WriteStepMessage(service, message.threshold, message.text, answer.failure);
  owner = sessionOwners.OwnerOf(pid, sessionId, {pid, 0});
  return !owner.empty();
}

void UpdateProcessList(ServiceState& service) {
  ProcessSource* source = service.Platform().processSource;
  if (source == nullptr) {
    CensusLists empty(service);
    return;
  }
  const CallResult<std::vector<SnapshotProcess>> snapshot = source->TakeSnapshot();
  if (snapshot) {
    ListFromSnapshot(service, *source, snapshot.Value());
  } else {
    WriteLogAt(service, 4, "Process snapshot not available, each process is queried: " + snapshot.Failure());
    if (!ListOneByOne(service, *source)) return;
  }
  LogChanges(service, CompareCensuses(service.PreviousProcesses, service.CurrentProcesses));
  service.PreviousProcesses.Assign(service.CurrentProcesses);
}
