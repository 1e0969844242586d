#include "service/cycle_steps.h"

#include "census/process_census.h"
#include "engine/account_blocking.h"
#include "engine/restriction_evaluation.h"
#include "engine/usage_accounting.h"
#include "settings/settings_loader.h"
#include "settings/user_state_store.h"
#include "timesync/time_sync.h"

CycleSteps ServiceCycleSteps() {
  CycleSteps steps;
  steps.startTimeCheck = StartTimeCheck;
  steps.syncInternetTime = SyncInternetTime;
  steps.loadSettings = LoadSettings;
  steps.readSpentTimes = ReadSpentTimes;
  steps.writeSpentTimes = WriteSpentTimes;
  steps.updateSpentTimes = UpdateSpentTimes;
  steps.evaluateRestrictions = EvaluateRestrictions;
  steps.evaluateAtConfirmedTime = EvaluateAtConfirmedTime;
  steps.unblockAllUsers = UnblockAllUsers;
  steps.blockAllUsers = BlockAllUsers;
  steps.updateProcessList = UpdateProcessList;
  steps.minuteRefresh = MinuteRefresh;
  steps.checkLogoffFlags = CheckLogoffFlags;
  return steps;
}
