#include "platform/installed_service_win.h"

#include <windows.h>

#include "platform/service_handle_win.h"
#include "platform/win_error.h"

namespace {

// The configuration calls answer at most 8 KiB.
constexpr DWORD kConfigBytes = 8 * 1024;

void ReadFailureActions(SC_HANDLE service, InstalledService& installed) {
  alignas(SERVICE_FAILURE_ACTIONSA) BYTE buffer[kConfigBytes];
  DWORD needed = 0;
  if (QueryServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS, buffer, sizeof buffer, &needed)) {
    const auto* actions = reinterpret_cast<const SERVICE_FAILURE_ACTIONSA*>(buffer);
    installed.failureResetSeconds = actions->dwResetPeriod;
    for (DWORD i = 0; i < actions->cActions; ++i)
      installed.failureActions.push_back(
          {static_cast<uint32_t>(actions->lpsaActions[i].Type), actions->lpsaActions[i].Delay});
  } else {
    installed.failureActionsFailure = DescribeWindowsFailure("QueryServiceConfig2A", GetLastError());
  }
  SERVICE_FAILURE_ACTIONS_FLAG flag{};
  if (QueryServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, reinterpret_cast<BYTE*>(&flag), sizeof flag,
                           &needed))
    installed.failureActionsOnNonCrashFailures = flag.fFailureActionsOnNonCrashFailures != FALSE;
  else
    installed.failureActionsFlagFailure = DescribeWindowsFailure("QueryServiceConfig2A", GetLastError());
}

}  // namespace

InstalledService WindowsInstalledServiceSource::Read(const std::string& serviceName) const {
  InstalledService installed;
  // SC_MANAGER_CONNECT: what every user may do, enough to open a service.
  ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) {
    installed.failure = DescribeWindowsFailure("OpenSCManagerA", GetLastError());
    return installed;
  }
  // Users may query a service's configuration and status by its default access list.
  ServiceHandle service(OpenServiceA(manager.Get(), serviceName.c_str(), SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS));
  if (!service) {
    const DWORD error = GetLastError();
    if (error == ERROR_SERVICE_DOES_NOT_EXIST) {
      installed.presence = InstalledService::Presence::kNotInstalled;
      return installed;
    }
    installed.failure = DescribeWindowsFailure("OpenServiceA", error);
    return installed;
  }
  alignas(QUERY_SERVICE_CONFIGA) BYTE config[kConfigBytes];
  DWORD needed = 0;
  if (!QueryServiceConfigA(service.Get(), reinterpret_cast<QUERY_SERVICE_CONFIGA*>(config), sizeof config, &needed)) {
    installed.failure = DescribeWindowsFailure("QueryServiceConfigA", GetLastError());
    return installed;
  }
  const auto* settings = reinterpret_cast<const QUERY_SERVICE_CONFIGA*>(config);
  installed.serviceType = settings->dwServiceType;
  installed.startType = settings->dwStartType;
  installed.account = settings->lpServiceStartName != nullptr ? settings->lpServiceStartName : "";
  SERVICE_STATUS_PROCESS status{};
  if (!QueryServiceStatusEx(service.Get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status,
                            &needed)) {
    installed.failure = DescribeWindowsFailure("QueryServiceStatusEx", GetLastError());
    return installed;
  }
  installed.state = status.dwCurrentState;
  // The process is known only while the service runs (or pauses).
  installed.processId = status.dwCurrentState == SERVICE_RUNNING ? status.dwProcessId : 0;
  ReadFailureActions(service.Get(), installed);
  installed.presence = InstalledService::Presence::kInstalled;
  return installed;
}
