#include "service/cycle_steps.h"

#include "census/process_census.h"
#include "service/pending_operations.h"

CycleSteps ServiceCycleSteps() {
  CycleSteps steps;
  steps.syncInternetTime = PendingSyncInternetTime;
  steps.loadSettings = PendingLoadSettings;
  steps.readSpentTimes = PendingReadSpentTimes;
  steps.writeSpentTimes = PendingWriteSpentTimes;
  steps.updateSpentTimes = PendingUpdateSpentTimes;
  steps.evaluateRestrictions = PendingEvaluateRestrictions;
  steps.unblockAllUsers = PendingUnblockAllUsers;
  steps.updateProcessList = UpdateProcessList;
  steps.minuteRefresh = PendingMinuteRefresh;
  return steps;
}
