#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/installed_service.h"
#include "platform/request_client.h"

// The service as the service control manager has it: installed as it should be and running.
class FakeInstalledServices : public InstalledServiceSource {
 public:
  FakeInstalledServices() {
    service.presence = InstalledService::Presence::kInstalled;
    service.serviceType = kOwnProcessServiceType;
    service.startType = kAutoStartType;
    service.account = "LocalSystem";
    service.state = kRunningServiceState;
    service.processId = 1234;
    service.failureActions = {{kRestartAction, 10'000}, {kRestartAction, 10'000}, {kRestartAction, 10'000}};
    service.failureResetSeconds = 86'400;
    service.failureActionsOnNonCrashFailures = true;
  }
  InstalledService Read(const std::string& name) const override {
    asked.push_back(name);
    return service;
  }

  InstalledService service;
  mutable std::vector<std::string> asked;
};

// The service's pipe as the test scripts it: records the requests and gives the answer, or none
// (out of reach), or says another program serves the pipe.
class ScriptedRequestClient : public RequestClient {
 public:
  Reply Ask(const std::string& request) override {
    requests.push_back(request);
    if (notTheService) return CallFailure{"the pipe is served by process 7", kNotTheServiceFailure};
    const std::optional<std::string>& given = request == "status\n" && statusAnswer ? statusAnswer : answer;
    if (!given) return CallFailure{"CreateFileA failed with error 2", 2};
    return *given;
  }
  std::optional<std::string> answer;
  // The answer to "status" when set, else answer.
  std::optional<std::string> statusAnswer;
  bool notTheService = false;
  std::vector<std::string> requests;
};
