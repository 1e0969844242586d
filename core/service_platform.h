#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/registry_opener.h"
#include "platform/clock.h"
#include "platform/companion_window.h"
#include "platform/file_attributes.h"
#include "platform/hmac_sha1.h"
#include "platform/log_file_system.h"
#include "platform/regional_format.h"
#include "platform/time_zones.h"
#include "platform/request_server.h"
#include "platform/timer.h"

// The platform seams of the subsystems, declared in their own folders: the subsystem that calls
// one includes its header.
class ProcessSource;      // census/process_source.h
class AccountControl;     // engine/account_control.h
class SessionControl;     // platform/session_control.h
class TimePageFetcher;    // timesync/time_sync_platform.h
class SystemClockSetter;  // timesync/time_sync_platform.h

// Runs work on a thread of its own that nobody waits for: a stop never joins it, and at the end of
// the process a thread still running is abandoned, so the work owns everything it touches. May
// throw when no thread can be made.
using WorkerRunner = std::function<void(std::function<void()> work)>;

// The platform the service works through: the Windows implementations in the service, fakes in
// the tests. The objects are owned by whoever builds the service object and outlive it. Every seam
// is required, except the three marked optional: the service object is not built without them
// (MissingRequiredSeams), so the code below uses them without asking.
struct ServicePlatform {
  Clock* clock = nullptr;
  RegionalFormat* regionalFormat = nullptr;
  FileAttributes* fileAttributes = nullptr;
  LogFileSystem* logFileSystem = nullptr;
  // Optional: none means no session tool is asked to close before an uninstall.
  CompanionWindow* companionWindow = nullptr;
  ProcessSource* processSource = nullptr;
  TimerFactory makeTimer;
  RegistryOpener openRegistry;
  // Shared with the time checks under way, which may outlive the service object.
  std::shared_ptr<TimePageFetcher> timePageFetcher;
  // Where the time checks run (none: no check can run).
  WorkerRunner runWorker;
  SystemClockSetter* systemClockSetter = nullptr;
  // Optional: none means every local time is the system zone's.
  TimeZones* timeZones = nullptr;
  // When the executable was built, UTC, days since 1899-12-30; 0 when unknown. An internet time
  // long before it cannot be right.
  double buildTimeUtc = 0;
  AccountControl* accountControl = nullptr;
  SessionControl* sessionControl = nullptr;
  // The application's exception handling: receives the message of an exception that escapes
  // ServiceCreate or ServiceDestroy, after which construction or destruction goes on.
  std::function<void(const std::string& message)> reportException;
  // More time by a parent's code (its codes are counted by the UTC of clock): their keyed hash,
  // and the server of the requests (optional: none means no requests are served).
  HmacSha1* hmac = nullptr;
  RequestServerFactory makeRequestServer;
};

// The names of the required seams the platform lacks; empty when the service can be built on it.
std::vector<std::string> MissingRequiredSeams(const ServicePlatform& platform);
