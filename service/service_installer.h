#pragma once

#include <cstdint>
#include <string>

#include "platform/dialogs.h"
#include "service/service_base.h"

// The values a service is installed with.
struct ServiceInstallation {
  std::string name;
  std::string displayName;
  uint32_t serviceType = 0;
  uint32_t startType = 0;     // SERVICE_AUTO_START is 2
  uint32_t errorControl = 0;  // SERVICE_ERROR_NORMAL is 1
  std::string binaryPath;     // the full path of the executable, no arguments
  std::string loadOrderGroup;
  std::string startName;      // empty: the local system account
  std::string password;
};

// The installation values of a service whose executable lies at exePath. A path with a blank is
// quoted, so that Windows cannot take a prefix of it for the program.
ServiceInstallation InstallationOf(const TService& service, const std::string& exePath);

// The service control manager's database, for installing and uninstalling.
class ServiceManager {
 public:
  virtual ~ServiceManager() = default;
  // Opens the manager on the local machine with full access; throws the platform error on failure.
  virtual void Open() = 0;
  virtual void Close() = 0;
  // Creates the service; 0 on success, else the error code.
  virtual uint32_t CreateServiceEntry(const ServiceInstallation& installation) = 0;
  // Opens the service by name and deletes it; 0 on success, else the error code.
  virtual uint32_t DeleteServiceEntry(const std::string& name) = 0;
  // The system's text for an error code.
  virtual std::string ErrorText(uint32_t code) = 0;
};

// Installs the service (not started) and shows the outcome; "silent" suppresses only the success
// dialog. A manager that cannot be opened throws out of here.
void InstallService(TService& service, ServiceManager& manager, Dialogs& dialogs, const std::string& exePath,
                    bool silent);
// Calls the service's BeforeUninstall handler, then deletes the service (a running one is not
// stopped) and shows the outcome.
void UninstallService(TService& service, ServiceManager& manager, Dialogs& dialogs, bool silent);
