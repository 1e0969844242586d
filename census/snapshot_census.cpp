#include "census/snapshot_census.h"

#include <string_view>
#include <unordered_set>
#include <utility>

#include "census/census_lists.h"
#include "census/process_query.h"
#include "census/session_owners.h"
#include "core/service_state.h"

namespace {

// Queries a process seen for the first time. What it learns holds for the life of the process:
// the line of a process whose owner was read, or else its executable and the reason its owner
// could not be read.
KnownProcess Learn(ServiceState& service, ProcessSource& source, const SnapshotProcess& process) {
  ProcessDetails details;
  const ProcessQueryResult result = source.QueryProcess(process.id, details);
  ProcessAnswer answer = AnswerQuery(source, result, details, &service.KnownOwners);
  // The snapshot names the executable as the system recorded it, whether or not the process
  // could be opened.
  std::string moduleName = process.imageName;
  if (moduleName.size() > kModuleNameWidth) moduleName.resize(kModuleNameWidth);
  KnownProcess known;
  if (answer.result == ProcessQueryResult::kComplete) {
    known.ownerRead = true;
    known.line = ComposeProcessLine(process.id, answer.owner, moduleName, answer.imagePath);
    known.owner = std::move(answer.owner);
    known.ownerSid = std::move(answer.ownerSid);
    return known;
  }
  StepMessage message = MessageFor(answer.result, process.id);
  known.moduleName = std::move(moduleName);
  known.imagePath = std::move(answer.imagePath);
  known.messageThreshold = message.threshold;
  known.message = std::move(message.text);
  known.failure = std::move(answer.failure);
  return known;
}

// Forgets the owners that no remembered process has: an account renamed meanwhile is looked up
// afresh with its next process.
void ForgetUnusedOwners(ServiceState& service) {
  std::unordered_set<std::string_view> used;
  for (const auto& [key, known] : service.KnownProcesses) {
    if (known.ownerRead) used.insert(known.ownerSid);
  }
  std::erase_if(service.KnownOwners, [&](const auto& owner) { return !used.contains(owner.first); });
}

}  // namespace

void ListFromSnapshot(ServiceState& service, ProcessSource& source, const std::vector<SnapshotProcess>& snapshot) {
  CensusLists lists(service);
  SessionOwners sessionOwners(service, &service.KnownSessionUsers);
  sessionOwners.ForgetEnded(snapshot);
  // The processes of this census take their entries along; what stays behind has ended.
  KnownProcessTable known;
  known.reserve(snapshot.size());
  for (const SnapshotProcess& entry : snapshot) {
    if (entry.id == 0) continue;  // the idle process: no query, no message
    const ProcessKey key{entry.id, entry.creationTime};
    const KnownProcess* process = nullptr;
    if (auto remembered = service.KnownProcesses.extract(key))
      process = &known.insert(std::move(remembered)).position->second;
    else
      process = &known.emplace(key, Learn(service, source, entry)).first->second;
    if (process->ownerRead) {
      lists.Add(process->line, process->owner, entry.sessionId);
      continue;
    }
    WriteStepMessage(service, process->messageThreshold, process->message, process->failure);
    const std::string owner = sessionOwners.OwnerOf(entry.id, entry.sessionId, key);
    if (!owner.empty())
      lists.Add(ComposeProcessLine(entry.id, owner, process->moduleName, process->imagePath), owner, entry.sessionId);
  }
  service.KnownProcesses = std::move(known);
  ForgetUnusedOwners(service);
}
