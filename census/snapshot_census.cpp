#include "census/snapshot_census.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "census/census_lists.h"
#include "census/process_census.h"
#include "census/process_query.h"
#include "core/service_state.h"

namespace {

// Queries a process seen for the first time. True when what was learnt holds for the life of the
// process: every answer, or a process that cannot be opened.
bool Learn(ServiceState& service, ProcessSource& source, uint32_t pid, KnownProcess& known) {
  ProcessDetails details;
  const ProcessQueryResult result = source.QueryNewProcess(pid, details);
  ProcessAnswer answer = AnswerQuery(source, result, details, &service.KnownOwners);
  if (answer.result == ProcessQueryResult::kComplete) {
    known.listed = true;
    known.line = ComposeProcessLine(pid, answer.owner, answer.moduleName, answer.imagePath);
    known.owner = std::move(answer.owner);
    known.ownerSid = std::move(answer.ownerSid);
    return true;
  }
  StepMessage message = MessageFor(answer.result, pid);
  known.messageThreshold = message.threshold;
  known.message = std::move(message.text);
  known.failure = std::move(answer.failure);
  return answer.result == ProcessQueryResult::kOpenProcessFailed;
}

// Forgets the owners that no remembered process has: an account renamed meanwhile is looked up
// afresh with its next process.
void ForgetUnusedOwners(ServiceState& service) {
  std::unordered_set<std::string_view> used;
  for (const auto& [key, known] : service.KnownProcesses) {
    if (known.listed) used.insert(known.ownerSid);
  }
  std::erase_if(service.KnownOwners, [&](const auto& owner) { return !used.contains(owner.first); });
}

}  // namespace

void ListFromSnapshot(ServiceState& service, ProcessSource& source, const std::vector<SnapshotProcess>& snapshot) {
  CensusLists lists(service);
  const size_t considered = std::min(snapshot.size(), kProcessIdTableSize);
  // The processes of this census take their entries along; what stays behind has ended.
  KnownProcessTable known;
  known.reserve(considered);
  for (size_t i = 0; i < considered; ++i) {
    const uint32_t pid = snapshot[i].id;
    if (pid == 0) continue;  // the idle process: no query, no message
    const ProcessKey key{pid, snapshot[i].creationTime};
    const KnownProcess* process = nullptr;
    KnownProcess learnt;
    if (auto remembered = service.KnownProcesses.extract(key)) {
      process = &known.insert(std::move(remembered)).position->second;
    } else if (Learn(service, source, pid, learnt)) {
      process = &known.emplace(key, std::move(learnt)).first->second;
    } else {
      process = &learnt;
    }
    if (process->listed)
      lists.Add(process->line, process->owner);
    else
      WriteStepMessage(service, process->messageThreshold, process->message, process->failure);
  }
  service.KnownProcesses = std::move(known);
  ForgetUnusedOwners(service);
}
