#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/call_result.h"
#include "core/installation.h"
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
  // What the service control manager does when the service ends without being stopped: restart
  // it after restartDelayMs, at the first, the second and every later failure, counting failures
  // afresh after failureResetSeconds without one. A restriction service that stays down holds
  // no account back.
  uint32_t restartDelayMs = 0;
  uint32_t failureResetSeconds = 0;
  // The failure-actions flag: the actions follow also a run that stops with an exit code other
  // than 0 (a failed start), not only a crash.
  bool failureActionsOnNonCrashFailures = false;
};

// The entries of both event types are of the error type only; the source declares the three
// basic types (EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE) as the
// convention is.
inline constexpr uint32_t kEventTypesSupported = 7;

// The installation values of a service whose executable lies at exePath. A path with a blank is
// quoted, so that Windows cannot take a prefix of it for the program.
ServiceInstallation InstallationOf(const TService& service, const std::string& exePath);

// The service control manager's database, for installing and uninstalling.
class ServiceManager {
 public:
  virtual ~ServiceManager() = default;
  // Opens the manager on the local machine with full access.
  virtual CallResult<> Open() = 0;
  virtual void Close() = 0;
  // Creates the service with its failure actions.
  virtual CallResult<> CreateServiceEntry(const ServiceInstallation& installation) = 0;
  // Opens the service by name and deletes it.
  virtual CallResult<> DeleteServiceEntry(const std::string& name) = 0;
  // The system's text for an error code, which the installer's dialogs show.
  virtual std::string ErrorText(uint32_t code) = 0;
};

// The event log's sources of the Application log, each a key under
// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\EventLog\Application naming the message
// file Event Viewer renders the source's entries with.
class EventSources {
 public:
  virtual ~EventSources() = default;
  // Registers the source with the executable as its message file (EventMessageFile, REG_EXPAND_SZ)
  // and TypesSupported.
  virtual CallResult<> RegisterSource(const std::string& source, const std::string& messageFile) = 0;
  // Removes the source's key; done also when it was not there.
  virtual CallResult<> RemoveSource(const std::string& source) = 0;
};

// The lists of services that Windows starts in Safe Mode: a key named after the service, whose
// default value is "Service", under HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\SafeBoot
// in Minimal (Safe Mode) and in Network (Safe Mode with Networking).
class SafeBootEntries {
 public:
  virtual ~SafeBootEntries() = default;
  // Lists the service in both.
  virtual CallResult<> Add(const std::string& service) = 0;
  // Takes the service off both; done also when it was not listed.
  virtual CallResult<> Remove(const std::string& service) = 0;
};

// An error of a platform call that leaves the host (the service control manager cannot be opened):
// its message is the system's error message of the code.
class EOSError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What an install or an uninstall run works on.
struct InstallerTargets {
  ServiceManager* manager = nullptr;
  EventSources* eventSources = nullptr;
  SafeBootEntries* safeBoot = nullptr;
  Dialogs* dialogs = nullptr;
};

// The sources the program writes under: the service's name and, for the failures outside the
// service run, the executable's file name (without directory).
std::vector<std::string> EventSourceNames(const TService& service, const std::string& exePath);

// Installs the service (not started), registers its event sources with the executable as their
// message file, lists it for Safe Mode and shows the outcome; "silent" suppresses only the success
// dialog. A source or Safe Mode entry that cannot be written fails the install like the service
// itself, and then whatever this run made is removed again. A manager that cannot be opened
// throws EOSError out of here. True on success.
bool InstallService(TService& service, const InstallerTargets& platform, const std::string& exePath, bool silent);
// Calls the service's BeforeUninstall handler, then deletes the service (a running one is not
// stopped), its event sources and its Safe Mode entries, and shows the outcome. True on success.
bool UninstallService(TService& service, const InstallerTargets& platform, const std::string& exePath, bool silent);
