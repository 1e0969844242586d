#include "session/startup_entry.h"

std::string StartupCommand(const std::string& exePath) { return "\"" + exePath + "\""; }

bool InstallSessionStart(StartupRegistry& registry, Dialogs& dialogs, const std::string& exePath, bool silent) {
  const CallResult<> stored = registry.SetStartupCommand(kStartupValueName, StartupCommand(exePath));
  if (!stored) {
    dialogs.ShowError("Hourwarden session tool failed to install with error: \"" +
                      registry.ErrorText(stored.FailureCode()) + "\"");
    return false;
  }
  if (!silent) dialogs.ShowInformation(kSessionInstalledMessage);
  return true;
}

bool UninstallSessionStart(StartupRegistry& registry, Dialogs& dialogs, bool silent) {
  const CallResult<> removed = registry.RemoveStartupCommand(kStartupValueName);
  if (!removed) {
    dialogs.ShowError("Hourwarden session tool failed to uninstall with error: \"" +
                      registry.ErrorText(removed.FailureCode()) + "\"");
    return false;
  }
  if (!silent) dialogs.ShowInformation(kSessionUninstalledMessage);
  return true;
}
