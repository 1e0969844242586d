#include "service/pending_operations.h"

#include "logging/logs.h"
#include "service/hourwarden.h"

namespace {

void NoteNotBuilt(THourwarden& service, const char* operation) {
  WriteLogAt(service, 3, std::string("Not built yet: ") + operation);
}

}  // namespace

void PendingUpdateProcessList(THourwarden& service) { NoteNotBuilt(service, "UpdateProcessList"); }
