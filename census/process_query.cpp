#include "census/process_query.h"

#include <utility>

#include "core/service_state.h"
#include "logging/logs.h"

namespace {

void CutTo(std::string& text, size_t width) {
  if (text.size() > width) text.resize(width);
}

}  // namespace

StepMessage MessageFor(ProcessQueryResult result, uint32_t pid) {
  switch (result) {
    case ProcessQueryResult::kOpenProcessFailed:
      return {4, "ERROR:Not possible to open process:" + std::to_string(pid)};
    case ProcessQueryResult::kOpenTokenFailed:
      return {3, "ERROR:Not possible to open token"};
    case ProcessQueryResult::kReadTokenUserFailed:
      return {3, "ERROR:Not possible to read user account structure from token"};
    case ProcessQueryResult::kLookupAccountFailed:
      return {2, "ERROR:Not possible to get account name"};
    case ProcessQueryResult::kComplete:
      break;
  }
  return {0, {}};
}

void WriteStepMessage(ServiceState& service, int threshold, std::string_view message, std::string_view failure) {
  if (threshold == 0 || !LevelAllows(service.DebugLevel, threshold)) return;
  WriteLog(service, 0, message);
  // The product's message does not say why; the next line names the call and its error.
  if (!failure.empty()) WriteLog(service, 0, failure);
}

ProcessAnswer AnswerQuery(ProcessSource& source, ProcessQueryResult result, ProcessDetails& details,
                          KnownOwnerTable* owners) {
  ProcessAnswer answer;
  answer.result = result;
  answer.moduleName = std::move(details.moduleName);
  answer.imagePath = std::move(details.imagePath);
  CutTo(answer.moduleName, kModuleNameWidth);
  CutTo(answer.imagePath, kImagePathWidth);
  if (answer.result != ProcessQueryResult::kComplete) {
    answer.failure = std::move(details.failure);
    return answer;
  }
  const std::string* knownName = nullptr;
  if (owners != nullptr) {
    const auto known = owners->find(details.ownerSid);
    if (known != owners->end()) knownName = &known->second;
  }
  if (knownName != nullptr) {
    answer.owner = *knownName;
  } else if (CallResult<std::string> account = source.FindAccountName(details.ownerSid); account) {
    answer.owner = account.Value();
    if (owners != nullptr) owners->emplace(details.ownerSid, answer.owner);
  } else {
    answer.result = ProcessQueryResult::kLookupAccountFailed;
    answer.failure = account.Failure();
    return answer;
  }
  answer.ownerSid = std::move(details.ownerSid);
  CutTo(answer.owner, kOwnerNameWidth);
  return answer;
}

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
  if (line.size() > kProcessLineWidth) line.resize(kProcessLineWidth);
  return line;
}
