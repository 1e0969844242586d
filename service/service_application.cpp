#include "service/service_application.h"

#include <stdexcept>

#include "core/command_line.h"

void TServiceApplication::Run(const std::vector<std::string>& arguments) {
  if (!service_) throw std::logic_error("The service application has no service to run");
  const CommandLineSwitches switches = ParseSwitches(arguments);
  if (switches.install)
    InstallService(*service_, *platform_.manager, *platform_.dialogs, platform_.exePath, switches.silent);
  else if (switches.uninstall)
    UninstallService(*service_, *platform_.manager, *platform_.dialogs, switches.silent);
  else if (platform_.runServiceMode)
    platform_.runServiceMode(*this);
}
