#include "service/service_application.h"

#include <stdexcept>

#include "core/command_line.h"

bool TServiceApplication::Run(const std::vector<std::string>& arguments) {
  if (!service_) throw std::logic_error("The service application has no service to run");
  const CommandLineSwitches switches = ParseSwitches(arguments);
  if (switches.install) return InstallService(*service_, setup_.installer, setup_.exePath, switches.silent);
  if (switches.uninstall) return UninstallService(*service_, setup_.installer, setup_.exePath, switches.silent);
  if (setup_.runServiceMode) setup_.runServiceMode(*this);
  return true;
}
