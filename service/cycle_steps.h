#pragma once

#include <functional>

class THourwarden;

// The work that the lifecycle handlers and the scheduler hand to the other subsystems. The
// service runs the real operations; the handlers' and the scheduler's own tests put recorders in
// their place to check the order and timing of the calls apart from the subsystems.
struct CycleSteps {
  std::function<bool(THourwarden&)> syncInternetTime;
  std::function<void(THourwarden&)> loadSettings;
  std::function<void(THourwarden&)> readSpentTimes;
  std::function<void(THourwarden&)> writeSpentTimes;
  std::function<int(THourwarden&)> updateSpentTimes;
  std::function<void(THourwarden&)> evaluateRestrictions;
  std::function<void(THourwarden&)> unblockAllUsers;
  std::function<void(THourwarden&)> updateProcessList;
  std::function<void(THourwarden&)> minuteRefresh;
};

// The real operations of every subsystem.
CycleSteps ServiceCycleSteps();
