#include "service/service_installer.h"

#include "base/scope_guard.h"
#include "service/host_messages.h"

namespace {

uint32_t StartTypeValue(TStartType type) { return static_cast<uint32_t>(type); }
uint32_t ErrorControlValue(TErrorSeverity severity) { return static_cast<uint32_t>(severity); }

std::string ErrorTextOf(ServiceManager& manager, uint32_t code) {
  return SystemErrorMessage(code, manager.ErrorText(code));
}

// Deletes the service, its event sources and its Safe Mode entries, each tried whatever the
// others gave; the first error, or 0.
uint32_t RemoveEntries(const TService& service, const InstallerTargets& platform, const std::string& exePath) {
  uint32_t error = platform.manager->DeleteServiceEntry(service.Name);
  const auto note = [&error](uint32_t result) {
    if (error == 0) error = result;
  };
  for (const std::string& source : EventSourceNames(service, exePath)) note(platform.eventSources->RemoveSource(source));
  note(platform.safeBoot->Remove(service.Name));
  return error;
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
    manager.Open();
    const ScopeGuard close([&manager] { manager.Close(); });
    if (service.BeforeInstall) service.BeforeInstall(&service);
    uint32_t error = manager.CreateServiceEntry(InstallationOf(service, exePath));
    const bool created = error == 0;
    for (const std::string& source : EventSourceNames(service, exePath))
      if (error == 0) error = platform.eventSources->RegisterSource(source, exePath);
    if (error == 0) error = platform.safeBoot->Add(service.Name);
    if (error != 0) {
      // Nothing is left half installed: what this run made goes again (a service that was there
      // before, which the create refused, is left alone).
      if (created) RemoveEntries(service, platform, exePath);
      platform.dialogs->ShowError(InstallFailedMessage(service.ShownName(), ErrorTextOf(manager, error)));
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
    manager.Open();
    const ScopeGuard close([&manager] { manager.Close(); });
    if (service.BeforeUninstall) service.BeforeUninstall(&service);
    // The sources and the Safe Mode entries go with the service; those left over from a failed
    // install go too.
    const uint32_t error = RemoveEntries(service, platform, exePath);
    if (error != 0) {
      platform.dialogs->ShowError(UninstallFailedMessage(service.ShownName(), ErrorTextOf(manager, error)));
      failed = true;
    } else if (service.AfterUninstall) {
      service.AfterUninstall(&service);
    }
  }
  if (!failed && !silent) platform.dialogs->ShowInformation(kUninstalledMessage);
  return !failed;
}
