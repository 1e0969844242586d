#include "service/pending_operations.h"

#include "logging/logs.h"
#include "service/hourwarden.h"

namespace {

void NoteNotBuilt(THourwarden& service, const char* operation) {
  WriteLogAt(service, 3, std::string("Not built yet: ") + operation);
}

}  // namespace

// Until the time page is read the clock is taken as confirmed, so the scheduler runs its
// synchronised branch.
bool PendingSyncInternetTime(THourwarden& service) {
  NoteNotBuilt(service, "SyncInternetTime");
  return true;
}

void PendingLoadSettings(THourwarden& service) { NoteNotBuilt(service, "LoadSettings"); }
void PendingReadSpentTimes(THourwarden& service) { NoteNotBuilt(service, "ReadSpentTimes"); }
void PendingWriteSpentTimes(THourwarden& service) { NoteNotBuilt(service, "WriteSpentTimes"); }

int PendingUpdateSpentTimes(THourwarden& service) {
  NoteNotBuilt(service, "UpdateSpentTimes");
  return 0;
}

void PendingEvaluateRestrictions(THourwarden& service) { NoteNotBuilt(service, "EvaluateRestrictions"); }
void PendingUnblockAllUsers(THourwarden& service) { NoteNotBuilt(service, "UnblockAllUsers"); }
void PendingMinuteRefresh(THourwarden& service) { NoteNotBuilt(service, "MinuteRefresh"); }
