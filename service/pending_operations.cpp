#include "service/pending_operations.h"

#include "logging/logs.h"
#include "service/hourwarden.h"

namespace {

void NoteNotBuilt(THourwarden& service, const char* operation) {
  WriteLogAt(service, 3, std::string("Not built yet: ") + operation);
}

}  // namespace


int PendingUpdateSpentTimes(THourwarden& service) {
  NoteNotBuilt(service, "UpdateSpentTimes");
  return 0;
}

void PendingEvaluateRestrictions(THourwarden& service) { NoteNotBuilt(service, "EvaluateRestrictions"); }
void PendingUnblockAllUsers(THourwarden& service) { NoteNotBuilt(service, "UnblockAllUsers"); }
void PendingMinuteRefresh(THourwarden& service) { NoteNotBuilt(service, "MinuteRefresh"); }
