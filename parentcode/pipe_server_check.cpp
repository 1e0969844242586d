#include "parentcode/pipe_server_check.h"

#include "base/string_list.h"

bool IsLocalSystemAccount(const std::string& account) {
  return SameText(account, "LocalSystem") || SameText(account, ".\\LocalSystem") ||
         SameText(account, "NT AUTHORITY\\SYSTEM");
}

std::optional<std::string> WhyNotTheService(const PipeServerFacts& facts, uint32_t servicesSession) {
  if (!facts.serverProcessId)
    return "the program serving the pipe cannot be told (" + facts.serverProcessId.Failure() + ")";
  const InstalledService& service = facts.service;
  switch (service.presence) {
    case InstalledService::Presence::kNotInstalled:
      return "the service is not installed, so another program serves its pipe";
    case InstalledService::Presence::kUnknown:
      return "the service cannot be asked about (" + service.failure + ")";
    case InstalledService::Presence::kInstalled:
      break;
  }
  if (service.state != kRunningServiceState) return "the service does not run, so another program serves its pipe";
  const std::string server = std::to_string(facts.serverProcessId.Value());
  if (service.processId != facts.serverProcessId.Value())
    return "the pipe is served by process " + server + ", not by the service (process " +
           std::to_string(service.processId) + ")";
  if (!IsLocalSystemAccount(service.account)) return "the service runs as " + service.account + ", not as LocalSystem";
  if (facts.serverSession && *facts.serverSession != servicesSession)
    return "the pipe is served in session " + std::to_string(*facts.serverSession) + ", not in the services' session " +
           std::to_string(servicesSession);
  return std::nullopt;
}
