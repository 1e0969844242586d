#pragma once

#include <cstdint>

#include "service/service_control_host.h"

// Host-side service states with the values the service control manager knows them by.
enum class TCurrentStatus : uint32_t {
  csStopped = 1,
  csStartPending = 2,
  csStopPending = 3,
  csRunning = 4,
  csContinuePending = 5,
  csPausePending = 6,
  csPaused = 7,
};

inline constexpr uint32_t kServiceWin32OwnProcess = 0x10;
inline constexpr uint32_t kServiceWin32ShareProcess = 0x20;
inline constexpr uint32_t kServiceInteractiveProcess = 0x100;
inline constexpr uint32_t kServiceAcceptStop = 1;
inline constexpr uint32_t kServiceAcceptPauseContinue = 2;
inline constexpr uint32_t kServiceAcceptShutdown = 4;
inline constexpr uint32_t kErrorServiceSpecificError = 1066;

// The service's own exit codes: a run that a handler's failure ends reports SERVICE_STOPPED with
// ERROR_SERVICE_SPECIFIC_ERROR and one of these, so that the service control manager counts it as
// a failure and restarts the service (the failure-actions flag is set at installation). The event
// log holds the failure's message. 0 is a run that ended as asked.
inline constexpr uint32_t kExitStartFailed = 1;    // the start handler failed
inline constexpr uint32_t kExitExecuteFailed = 2;  // the run after the start failed, or had no service thread

inline constexpr uint32_t kServiceControlStop = 1;
inline constexpr uint32_t kServiceControlPause = 2;
inline constexpr uint32_t kServiceControlContinue = 3;
inline constexpr uint32_t kServiceControlInterrogate = 4;
inline constexpr uint32_t kServiceControlShutdown = 5;

bool IsPendingState(TCurrentStatus state);

// The check point of each report: 0, except for a pending state reported again right after
// itself, which counts one up. Before the first report the previous state counts as start
// pending with check point 0.
class CheckPointCounter {
 public:
  uint32_t Next(TCurrentStatus state);

 private:
  TCurrentStatus previousState_ = TCurrentStatus::csStartPending;
  uint32_t previousCheckPoint_ = 0;
};
