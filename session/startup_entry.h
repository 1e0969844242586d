#pragma once

#include <cstdint>
#include <string>

#include "base/call_result.h"
#include "platform/dialogs.h"

// The session tool starts at every logon of every user from the machine-wide Run key
// (HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run), which only an administrator
// may change.
inline constexpr char kStartupValueName[] = "Hourwarden session";

// The machine-wide list of programs started at logon.
class StartupRegistry {
 public:
  virtual ~StartupRegistry() = default;
  // Stores the command under the name.
  virtual CallResult<> SetStartupCommand(const std::string& name, const std::string& command) = 0;
  // Removes the name; done also when it was not there.
  virtual CallResult<> RemoveStartupCommand(const std::string& name) = 0;
  // The system's text for an error code, which the dialogs show.
  virtual std::string ErrorText(uint32_t code) = 0;
};

// The command that starts the executable: its full path in quotes, so that a path with a blank
// cannot start a program at a prefix of it.
std::string StartupCommand(const std::string& exePath);

inline constexpr char kSessionInstalledMessage[] = "Hourwarden session tool installed successfully";
inline constexpr char kSessionUninstalledMessage[] = "Hourwarden session tool uninstalled successfully";

// Adds the tool's start at logon and shows the outcome; "silent" suppresses only the success
// dialog. True on success.
bool InstallSessionStart(StartupRegistry& registry, Dialogs& dialogs, const std::string& exePath, bool silent);
// Removes the tool's start at logon and shows the outcome, as above.
bool UninstallSessionStart(StartupRegistry& registry, Dialogs& dialogs, bool silent);
