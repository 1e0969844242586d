#include "service/host_messages.h"

#include <cstdio>

std::string SystemErrorMessage(uint32_t code, const std::string& systemText) {
  if (code == 0) return "A call to an OS function failed";
  return "System Error.  Code: " + std::to_string(code) + ".\r\n" + systemText;
}

std::string ServiceFailedOn(const std::string& what, const std::string& message) {
  return "Service failed on " + what + ": " + message;
}

std::string ControlFailureMessage(uint32_t code, const std::string& message) {
  static const char* const kNames[] = {"stop", "pause", "continue", "interrogate", "shutdown"};
  if (code >= 1 && code <= 5) return ServiceFailedOn(kNames[code - 1], message);
  return "Service failed in custom message(" + std::to_string(code) + "): " + message;
}

std::string InstallFailedMessage(const std::string& displayName, const std::string& errorText) {
  return "Service \"" + displayName + "\" failed to install with error: \"" + errorText + "\"";
}

std::string UninstallFailedMessage(const std::string& displayName, const std::string& errorText) {
  return "Service \"" + displayName + "\" failed to uninstall with error: \"" + errorText + "\"";
}

std::string ApplicationErrorMessage(const std::string& className, const std::string& moduleName,
                                    const void* address, const std::string& message) {
  char where[32];
  std::snprintf(where, sizeof where, "%p", address);
  const bool addPeriod = !message.empty() && message.back() != '.';
  return "Exception " + className + " in module " + moduleName + " at " + where + ".\r\n" + message +
         (addPeriod ? "." : "") + "\r\n";
}
