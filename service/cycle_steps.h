#pragma once

#include <functional>

#include "timesync/time_sync.h"

class ServiceState;

// The work that the lifecycle handlers and the scheduler hand to the other subsystems. The
// service runs the real operations; the handlers' and the scheduler's own tests put recorders in
// their place to check the order and timing of the calls apart from the subsystems.
struct CycleSteps {
  std::function<bool(ServiceState&, const TimePageFetch&)> syncInternetTime;
  std::function<void(ServiceState&)> loadSettings;
  std::function<void(ServiceState&)> readSpentTimes;
  std::function<void(ServiceState&)> writeSpentTimes;
  std::function<int(ServiceState&)> updateSpentTimes;
  std::function<void(ServiceState&)> evaluateRestrictions;
  std::function<void(ServiceState&)> unblockAllUsers;
  std::function<void(ServiceState&)> blockAllUsers;
  std::function<void(ServiceState&)> updateProcessList;
  std::function<void(ServiceState&)> minuteRefresh;
  std::function<void(ServiceState&)> checkLogoffFlags;
};

// The real operations of every subsystem.
CycleSteps ServiceCycleSteps();
