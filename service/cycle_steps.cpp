#include "service/cycle_steps.h"

#include "census/process_census.h"
#include "service/pending_operations.h"
#include "settings/settings_loader.h"
#include "settings/user_state_store.h"
#include "timesync/time_sync.h"

CycleSteps ServiceCycleSteps() {
  CycleSteps steps;
  steps.syncInternetTime = SyncInternetTime;
  steps.loadSettings = LoadSettings;
  steps.readSpentTimes = ReadSpentTimes;
  steps.writeSpentTimes = WriteSpentTimes;
  steps.updateSpentTimes = PendingUpdateSpentTimes;
  steps.evaluateRestrictions = PendingEvaluateRestrictions;
  steps.unblockAllUsers = PendingUnblockAllUsers;
  steps.updateProcessList = UpdateProcessList;
  steps.minuteRefresh = PendingMinuteRefresh;
  return steps;
}
