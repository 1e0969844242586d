#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "service/service_base.h"
#include "service/service_installer.h"

// One per process: owns the service object and runs it: install, uninstall, or as a service
// under the service control manager, as the command line says.
class TServiceApplication {
 public:
  struct Setup {
    InstallerTargets installer;  // what an install or uninstall run works on
    std::string exePath;  // the full path of the running executable
    // The run under the service control manager (dispatcher thread and main message loop).
    std::function<void(TServiceApplication&)> runServiceMode;
  };

  explicit TServiceApplication(Setup setup) : setup_(std::move(setup)) {}
  // Prepares the application; nothing is shown.
  void Initialize() {}
  std::string Title;

  // Takes ownership of the service object.
  void CreateForm(std::unique_ptr<TService> service) { service_ = std::move(service); }
  TService* Service() const { return service_.get(); }
  // Destroys the service object (its destroy handler runs).
  void DestroyServices() { service_.reset(); }

  // Installs ("INSTALL"), else uninstalls ("UNINSTALL"), else runs as a service. False when an
  // install or uninstall failed.
  bool Run(const std::vector<std::string>& arguments);

 private:
  Setup setup_;
  std::unique_ptr<TService> service_;
};
