#include "service/service_application.h"

#include <stdexcept>

#include "core/command_line.h"

bool TServiceApplication::Run(const std::vector<std::string>& arguments) {
  if (!service_) throw std::logic_error("The service application has no service to run");
  const CommandLineSwitches switches = ParseSwitches(arguments);
  if (switches.install) return InstallService(*service_, platform_.installer, platform_.exePath, switches.silent);
  if (switches.uninstall) return UninstallService(*service_, platform_.installer, platform_.exePath, switches.silent);
  if (platform_.runServiceMode) platform_.runServiceMode(*this);
  return true;
}
