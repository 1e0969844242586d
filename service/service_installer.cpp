#include "service/service_installer.h"

#include "service/host_messages.h"

namespace {

uint32_t StartTypeValue(TStartType type) { return static_cast<uint32_t>(type); }
uint32_t ErrorControlValue(TErrorSeverity severity) { return static_cast<uint32_t>(severity); }

// Closes the manager however the run ends.
class OpenManager {
 public:
  explicit OpenManager(ServiceManager& manager) : manager_(manager) { manager_.Open(); }
  ~OpenManager() { manager_.Close(); }

 private:
  ServiceManager& manager_;
};

std::string ErrorTextOf(ServiceManager& manager, uint32_t code) {
  return SystemErrorMessage(code, manager.ErrorText(code));
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
  return installation;
}

std::vector<std::string> EventSourceNames(const TService& service, const std::string& exePath) {
  const size_t slash = exePath.find_last_of("\\/");
  return {service.Name, slash == std::string::npos ? exePath : exePath.substr(slash + 1)};
}

bool InstallService(TService& service, ServiceManager& manager, EventSources& sources, Dialogs& dialogs,
                    const std::string& exePath, bool silent) {
  bool failed = false;
  {
    OpenManager open(manager);
    if (service.BeforeInstall) service.BeforeInstall(&service);
    uint32_t error = manager.CreateServiceEntry(InstallationOf(service, exePath));
    for (const std::string& source : EventSourceNames(service, exePath))
      if (error == 0) error = sources.RegisterSource(source, exePath);
    if (error != 0) {
      dialogs.ShowError(InstallFailedMessage(service.ShownName(), ErrorTextOf(manager, error)));
      failed = true;
    } else if (service.AfterInstall) {
      service.AfterInstall(&service);
    }
  }
  if (!failed && !silent) dialogs.ShowInformation(kInstalledMessage);
  return !failed;
}

bool UninstallService(TService& service, ServiceManager& manager, EventSources& sources, Dialogs& dialogs,
                      const std::string& exePath, bool silent) {
  bool failed = false;
  {
    OpenManager open(manager);
    if (service.BeforeUninstall) service.BeforeUninstall(&service);
    uint32_t error = manager.DeleteServiceEntry(service.Name);
    // The sources go with the service; a source left over from a failed install goes too.
    for (const std::string& source : EventSourceNames(service, exePath)) {
      const uint32_t removal = sources.RemoveSource(source);
      if (error == 0) error = removal;
    }
    if (error != 0) {
      dialogs.ShowError(UninstallFailedMessage(service.ShownName(), ErrorTextOf(manager, error)));
      failed = true;
    } else if (service.AfterUninstall) {
      service.AfterUninstall(&service);
    }
  }
  if (!failed && !silent) dialogs.ShowInformation(kUninstalledMessage);
  return !failed;
}
