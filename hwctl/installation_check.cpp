#include "hwctl/installation_check.h"

#include "core/installation.h"
#include "core/version.h"
#include "parentcode/more_time_protocol.h"
#include "parentcode/pipe_server_check.h"

namespace {

constexpr char kNotHeldBack[] = "no restricted account is held back";

void CheckSafeModeEntry(InstallationFindings& findings, RegistryAccess& registry, const char* list,
                        const char* name, const char* mode) {
  std::string value;
  if (registry.OpenKeyReadOnly(SafeModeEntryKey(list, kServiceName))) {
    try {
      value = registry.ReadString("");
    } catch (const RegistryError&) {
    }
    registry.CloseKey();
  }
  if (value != kSafeModeEntryValue)
    findings.problems.push_back(
        {kServiceWhere, name,
         std::string("no entry whose default value is \"Service\": the service does not start in ") + mode + ", so " +
             kNotHeldBack + " there (hourwarden.exe /install or the installer adds it)"});
}

void CheckConfiguration(InstallationFindings& findings, const InstalledService& service) {
  std::vector<Problem>& problems = findings.problems;
  if (service.serviceType != kOwnProcessServiceType)
    problems.push_back({kServiceWhere, "Type", "not a service of its own process (0x10)"});
  if (service.startType != kAutoStartType)
    problems.push_back({kServiceWhere, "Start",
                        "not started when the computer starts, so " + std::string(kNotHeldBack) +
                            " until someone starts it (sc config Hourwarden start= auto)"});
  if (!IsLocalSystemAccount(service.account))
    problems.push_back({kServiceWhere, "Account",
                        "runs as " + service.account + ", not as LocalSystem: it cannot set logon hours"});
  if (!service.failureActionsFailure.empty()) {
    problems.push_back({kServiceWhere, "FailureActions", "could not be read (" + service.failureActionsFailure + ")"});
  } else {
    bool restarts = !service.failureActions.empty();
    for (const InstalledService::FailureAction& action : service.failureActions)
      restarts = restarts && action.type == kRestartAction;
    if (!restarts)
      problems.push_back({kServiceWhere, "FailureActions",
                          "Windows does not restart the service after every failure, so one that ends holds no "
                          "account back (hourwarden.exe /install sets a restart after 10 s)"});
  }
  if (!service.failureActionsOnNonCrashFailures)
    problems.push_back({kServiceWhere, "FailureActionsFlag", "could not be read (" + service.failureActionsFlagFailure + ")"});
  else if (!*service.failureActionsOnNonCrashFailures)
    problems.push_back({kServiceWhere, "FailureActionsFlag",
                        "not set: a start that fails is not restarted (sc failureflag Hourwarden 1)"});
}

void CheckAnswer(InstallationFindings& findings, RequestClient& client) {
  const RequestClient::Reply reply = client.Ask(kStatusRequest);
  const std::string pipe = kMoreTimePipeName;
  if (NotTheService(reply)) {
    findings.problems.push_back({kServiceWhere, "Pipe", "another program serves " + pipe + ": " + reply.Failure()});
    findings.summary = "Service: running, but another program serves its pipe.\n";
    return;
  }
  const std::optional<ServiceStatus> status = reply ? ParseStatusAnswer(reply.Value()) : std::nullopt;
  if (!status) {
    findings.problems.push_back(
        {kServiceWhere, "Pipe",
         "no status on " + pipe + " (" + (reply ? "\"" + reply.Value() + "\"" : reply.Failure()) +
             "): a restricted user cannot ask for more time"});
    findings.summary = "Service: running, not answering.\n";
    return;
  }
  findings.summary = "Service: running and answering on " + pipe + " (version " + status->version + ", time " +
                     (status->timeConfirmed ? "confirmed" : "not confirmed") + ").\n";
  if (!status->timeConfirmed)
    findings.warnings.push_back({kServiceWhere, "Time",
                                 "not confirmed from the internet yet: every restricted user is held back until it is"});
  if (status->version != kHourwardenVersion)
    findings.warnings.push_back({kServiceWhere, "Version",
                                 "the service is version " + status->version + ", hwctl version " +
                                     kHourwardenVersion + ": install both from one package"});
}

}  // namespace

InstallationFindings CheckInstallation(const InstalledService& service, RegistryAccess& registry,
                                       RequestClient& client) {
  InstallationFindings findings;
  switch (service.presence) {
    case InstalledService::Presence::kNotInstalled:
      findings.problems.push_back({kServiceWhere, "(installed)",
                                   "not installed, so " + std::string(kNotHeldBack) +
                                       " (the installer, or hourwarden.exe /install)"});
      findings.summary = "Service: not installed.\n";
      return findings;
    case InstalledService::Presence::kUnknown:
      findings.problems.push_back({kServiceWhere, "(installed)", "cannot be asked about (" + service.failure + ")"});
      findings.summary = "Service: unknown.\n";
      return findings;
    case InstalledService::Presence::kInstalled:
      break;
  }
  CheckConfiguration(findings, service);
  CheckSafeModeEntry(findings, registry, kSafeModeMinimalList, "SafeBoot\\Minimal", "Safe Mode");
  CheckSafeModeEntry(findings, registry, kSafeModeNetworkList, "SafeBoot\\Network", "Safe Mode with Networking");
  if (service.state != kRunningServiceState) {
    findings.problems.push_back(
        {kServiceWhere, "State", "not running, so " + std::string(kNotHeldBack) + " (net start Hourwarden)"});
    findings.summary = "Service: not running.\n";
    return findings;
  }
  CheckAnswer(findings, client);
  return findings;
}
