#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A service as the service control manager has it: how it is installed, what it does when it
// fails, and whether and in which process it runs. Read by hwctl check, and by the clients of the
// service's pipe to tell the service from a program that made the pipe first.
struct InstalledService {
  enum class Presence { kInstalled, kNotInstalled, kUnknown };
  Presence presence = Presence::kUnknown;
  std::string failure;  // kUnknown: the call that failed and its code

  uint32_t serviceType = 0;   // SERVICE_WIN32_OWN_PROCESS is 0x10
  uint32_t startType = 0;     // SERVICE_AUTO_START is 2
  std::string account;        // "LocalSystem" for the local system account
  uint32_t state = 0;         // SERVICE_RUNNING is 4
  uint32_t processId = 0;     // while it runs

  // The failure actions: what follows each failure, in order (the last for every later one), the
  // delay of each, and the seconds without a failure after which the count starts again.
  struct FailureAction {
    uint32_t type = 0;  // SC_ACTION_RESTART is 1
    uint32_t delayMs = 0;
    bool operator==(const FailureAction&) const = default;
  };
  std::vector<FailureAction> failureActions;
  uint32_t failureResetSeconds = 0;
  std::string failureActionsFailure;  // not empty: they could not be read (the call and its code)
  // The failure-actions flag: the actions also follow a stop with an exit code that is not 0.
  // Nothing when it could not be read (failureActionsFlagFailure says why).
  std::optional<bool> failureActionsOnNonCrashFailures;
  std::string failureActionsFlagFailure;
};

// The values the service control manager uses, as numbers.
inline constexpr uint32_t kOwnProcessServiceType = 0x10;
inline constexpr uint32_t kAutoStartType = 2;
inline constexpr uint32_t kRunningServiceState = 4;
inline constexpr uint32_t kRestartAction = 1;

// Reads a service from the service control manager, with the access every user has.
class InstalledServiceSource {
 public:
  virtual ~InstalledServiceSource() = default;
  virtual InstalledService Read(const std::string& serviceName) const = 0;
};
