#include "service/cycle_steps.h"

#include "service/pending_operations.h"
#include "timesync/time_sync.h"

CycleSteps ServiceCycleSteps() {
  CycleSteps steps;
  steps.syncInternetTime = SyncInternetTime;
  steps.loadSettings = PendingLoadSettings;
  steps.readSpentTimes = PendingReadSpentTimes;
  steps.writeSpentTimes = PendingWriteSpentTimes;
  steps.updateSpentTimes = PendingUpdateSpentTimes;
  steps.evaluateRestrictions = PendingEvaluateRestrictions;
  steps.unblockAllUsers = PendingUnblockAllUsers;
  steps.updateProcessList = PendingUpdateProcessList;
  steps.minuteRefresh = PendingMinuteRefresh;
  return steps;
}
