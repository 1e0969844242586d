#pragma once

#include <cstdint>
#include <string>

// The texts the service host shows in dialogs and writes to the event log.

// "System Error.  Code: N.\r\nTEXT", or "A call to an OS function failed" for code 0.
std::string SystemErrorMessage(uint32_t code, const std::string& systemText);
// "Service failed on WHAT: MESSAGE".
std::string ServiceFailedOn(const std::string& what, const std::string& message);
// The event-log text of a failure in the handling of a control code: codes 1 to 5 by their
// names, any other as a custom message.
std::string ControlFailureMessage(uint32_t code, const std::string& message);
// "Service "NAME" failed to install with error: "TEXT"".
std::string InstallFailedMessage(const std::string& displayName, const std::string& errorText);
// "Service "NAME" failed to uninstall with error: "TEXT"".
std::string UninstallFailedMessage(const std::string& displayName, const std::string& errorText);
inline constexpr char kInstalledMessage[] = "Service installed successfully";
inline constexpr char kUninstalledMessage[] = "Service uninstalled successfully";
// The program entry's error box: "Exception CLASS in module MODULE at ADDRESS.\r\nMESSAGE.\r\n",
// the period added only to a message that is not empty and does not end with one.
std::string ApplicationErrorMessage(const std::string& className, const std::string& moduleName,
                                    const void* address, const std::string& message);
