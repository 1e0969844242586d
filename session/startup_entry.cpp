#include "session/startup_entry.h"

std::string StartupCommand(const std::string& exePath) { return "\"" + exePath + "\""; }

bool InstallSessionStart(StartupRegistry& registry, Dialogs& dialogs, const std::string& exePath, bool silent) {
  const uint32_t error = registry.SetStartupCommand(kStartupValueName, StartupCommand(exePath));
  if (error != 0) {
    dialogs.ShowError("Hourwarden session tool failed to install with error: \"" + registry.ErrorText(error) + "\"");
    return false;
  }
  if (!silent) dialogs.ShowInformation(kSessionInstalledMessage);
  return true;
}

bool UninstallSessionStart(StartupRegistry& registry, Dialogs& dialogs, bool silent) {
  const uint32_t error = registry.RemoveStartupCommand(kStartupValueName);
  if (error != 0) {
    dialogs.ShowError("Hourwarden session tool failed to uninstall with error: \"" + registry.ErrorText(error) + "\"");
    return false;
  }
  if (!silent) dialogs.ShowInformation(kSessionUninstalledMessage);
  return true;
}
