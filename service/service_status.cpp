#include "service/service_status.h"

bool IsPendingState(TCurrentStatus state) {
  return state == TCurrentStatus::csStartPending || state == TCurrentStatus::csStopPending ||
         state == TCurrentStatus::csContinuePending || state == TCurrentStatus::csPausePending;
}

uint32_t CheckPointCounter::Next(TCurrentStatus state) {
  const uint32_t checkPoint = IsPendingState(state) && state == previousState_ ? previousCheckPoint_ + 1 : 0;
  previousState_ = state;
  previousCheckPoint_ = checkPoint;
  return checkPoint;
}
