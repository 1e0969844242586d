#include "service/service_installer.h"

#include "base/scope_guard.h"
#include "service/host_messages.h"

namespace {

uint32_t StartTypeValue(TStartType type) { return static_cast<uint32_t>(type); }
uint32_t ErrorControlValue(TErrorSeverity severity) { return static_cast<uint32_t>(severity); }

// The system's error message of the failure's code, as the dialogs show it.
std::string ErrorTextOf(ServiceManager& manager, const CallResult<>& failed) {
  return SystemErrorMessage(failed.FailureCode(), manager.ErrorText(failed.FailureCode()));
}

// Opens the manager, or throws the system's error message of why it could not be opened.
void OpenManager(ServiceManager& manager) {
  const CallResult<> opened = manager.Open();
  if (!opened) throw EOSError(ErrorTextOf(manager, opened));
}

// Deletes the service, its event sources and its Safe Mode entries, each tried whatever the
// others gave; the first failure, or done.
CallResult<> RemoveEntries(const TService& service, const InstallerTargets& platform, const std::string& exePath) {
  CallResult<> result = platform.manager->DeleteServiceEntry(service.Name);
  const auto note = [&result](CallResult<> next) {
    if (result) result = std::move(next);
  };
  for (const std::string& source : EventSourceNames(service, exePath)) note(platform.eventSources->RemoveSource(source));
  note(platform.safeBoot->Remove(service.Name));
  return result;
}

}  // namespace

ServiceInstallation InstallationOf(const TService& service, const std::string& exePath) {
  ServiceInstallation installation;
  installation.name = service.Name;
  installation.displayName = service.ShownName();
  installation.serviceType = service.ServiceTypeFlags();
  installation.startType = StartTypeValue(service.StartType);
  installation.errorControl = ErrorControlValue(service.ErrorSeverity);
  installation.binaryPath = exePath.find(' ') != std::string::npos ? "\"" + exePath + "\"" : exePath;
  installation.loadOrderGroup = service.LoadGroup;
  installation.startName = service.ServiceStartName;
  installation.password = service.Password;
  installation.restartDelayMs = kRestartDelayMs;
  installation.failureResetSeconds = kFailureResetSeconds;
  installation.failureActionsOnNonCrashFailures = true;
  return installation;
}

std::vector<std::string> EventSourceNames(const TService& service, const std::string& exePath) {
  const size_t slash = exePath.find_last_of("\\/");
  return {service.Name, slash == std::string::npos ? exePath : exePath.substr(slash + 1)};
}

bool InstallService(TService& service, const InstallerTargets& platform, const std::string& exePath, bool silent) {
  ServiceManager& manager = *platform.manager;
  bool failed = false;
  {
    OpenManager(manager);
    const ScopeGuard close([&manager] { manager.Close(); });
    if (service.BeforeInstall) service.BeforeInstall(&service);
    CallResult<> result = manager.CreateServiceEntry(InstallationOf(service, exePath));
    const bool created = result.Ok();
    for (const std::string& source : EventSourceNames(service, exePath))
      if (result) result = platform.eventSources->RegisterSource(source, exePath);
    if (result) result = platform.safeBoot->Add(service.Name);
    if (!result) {
      // Nothing is left half installed: what this run made goes again (a service that was there
      // before, which the create refused, is left alone).
      if (created) (void)RemoveEntries(service, platform, exePath);
      platform.dialogs->ShowError(InstallFailedMessage(service.ShownName(), ErrorTextOf(manager, result)));
      failed = true;
    } else if (service.AfterInstall) {
      service.AfterInstall(&service);
    }
  }
  if (!failed && !silent) platform.dialogs->ShowInformation(kInstalledMessage);
  return !failed;
}

bool UninstallService(TService& service, const InstallerTargets& platform, const std::string& exePath, bool silent) {
  ServiceManager& manager = *platform.manager;
  bool failed = false;
  {
    OpenManager(manager);
    const ScopeGuard close([&manager] { manager.Close(); });
    if (service.BeforeUninstall) service.BeforeUninstall(&service);
    // The sources and the Safe Mode entries go with the service; those left over from a failed
    // install go too.
    const CallResult<> result = RemoveEntries(service, platform, exePath);
    if (!result) {
      platform.dialogs->ShowError(UninstallFailedMessage(service.ShownName(), ErrorTextOf(manager, result)));
      failed = true;
    } else if (service.AfterUninstall) {
      service.AfterUninstall(&service);
    }
  }
  if (!failed && !silent) platform.dialogs->ShowInformation(kUninstalledMessage);
  return !failed;
}
