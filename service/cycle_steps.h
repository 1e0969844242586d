#pragma once

#include <functional>
#include <memory>

#include "timesync/time_check.h"

class ServiceState;

// The work that the lifecycle handlers and the scheduler hand to the other subsystems. The
// service runs the real operations; the handlers' and the scheduler's own tests put recorders in
// their place to check the order and timing of the calls apart from the subsystems.
struct CycleSteps {
  // Starts a check of the time, never waiting for it (StartTimeCheck).
  std::function<std::shared_ptr<PendingTimeCheck>(ServiceState&)> startTimeCheck;
  // Acts on a finished check; true when the time is confirmed (SyncInternetTime).
  std::function<bool(ServiceState&, const TimeCheckResult&)> syncInternetTime;
  std::function<void(ServiceState&)> loadSettings;
  std::function<void(ServiceState&)> readSpentTimes;
  std::function<void(ServiceState&)> writeSpentTimes;
  std::function<int(ServiceState&)> updateSpentTimes;
  std::function<void(ServiceState&)> evaluateRestrictions;
  // The evaluation when a check has just confirmed the time (EvaluateAtConfirmedTime).
  std::function<void(ServiceState&)> evaluateAtConfirmedTime;
  std::function<void(ServiceState&)> unblockAllUsers;
  std::function<void(ServiceState&)> blockAllUsers;
  std::function<void(ServiceState&)> updateProcessList;
  std::function<void(ServiceState&)> minuteRefresh;
  std::function<void(ServiceState&)> checkLogoffFlags;
};

// The real operations of every subsystem.
CycleSteps ServiceCycleSteps();
