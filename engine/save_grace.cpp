#include "engine/save_grace.h"

#include <algorithm>
#include <memory>

#include "core/service_state.h"
#include "engine/request_asker.h"
#include "engine/session_backstop.h"
#include "logging/logs.h"
#include "parentcode/more_time_protocol.h"
#include "base/date_time.h"
#include "settings/registry_values.h"
#include "settings/settings_loader.h"
#include "settings/user_state_store.h"
#include "settings/value_reads.h"

namespace {

std::string Answer(AnswerKind kind, int minutes = 0) { return FormatMoreTimeAnswer({kind, minutes, {}}); }

// The date the user's grace was last given; empty when never, or when it cannot be read.
std::string LastGiven(ServiceState& service, const std::string& userName) {
  const std::unique_ptr<RegistryAccess> registry = OpenServiceRegistry(service);
  if (!registry->OpenKeyReadOnly(UserKeyPath(userName))) return {};
  const std::string date = FindText(*registry, kGraceDateValue).Usable().value_or("");
  registry->CloseKey();
  return date;
}

bool StoreGiven(ServiceState& service, const std::string& userName, const std::string& date) {
  const std::unique_ptr<RegistryAccess> registry = OpenServiceRegistry(service);
  if (!registry->OpenKey(UserKeyPath(userName))) return false;
  try {
    registry->WriteString(kGraceDateValue, date);
  } catch (const RegistryError& error) {
    WriteLogAt(service, 1, error.what());
    return false;
  }
  registry->CloseKey();
  return true;
}

}  // namespace

int GraceOffered(int graceMinutes, const std::string& lastGiven, const std::string& today) {
  if (lastGiven == today) return 0;
  return std::clamp(graceMinutes, 0, kMaxGraceMinutes);
}

int GraceMinutesFor(ServiceState& service, const std::string& accountName) {
  const int index = service.RestrictedUsers.IndexOf(accountName);
  if (!service.TimeSynced || index < 0) return 0;
  const std::string& name = service.RestrictedUsers[index];
  return GraceOffered(service.GraceMinutes, LastGiven(service, name), FormatStoredDate(service.CycleNow));
}

std::string AnswerGraceRequest(ServiceState& service, const std::string& accountName) {
  const std::string from = "Grace to save the work asked by " + accountName + ": ";
  const RequestAsker asker = CheckRequestAsker(service, accountName, from);
  if (asker.index < 0) return asker.refusal;
  const std::string name = service.RestrictedUsers[asker.index];
  const std::string today = FormatStoredDate(service.CycleNow);
  const int minutes = GraceOffered(service.GraceMinutes, LastGiven(service, name), today);
  if (minutes == 0) {
    WriteLogAt(service, 2, from + "refused, given today already or none set");
    return Answer(AnswerKind::kGraceUsed);
  }
  if (!StoreGiven(service, name, today)) {
    WriteLogAt(service, 1, "ERROR: " + from + "not given, its date could not be stored");
    return Answer(AnswerKind::kUnavailable);
  }
  const uint64_t now = service.Platform().clock->TickMilliseconds();
  service.GraceUntil[name] = now + static_cast<uint64_t>(minutes) * 60'000;
  WriteLogoffFlag(service, name, 0);
  NoteStillLogged(service, name, false);
  WriteLogAt(service, 1, from + std::to_string(minutes) + " minutes given, once for " + today +
                             "; no logoff request until " +
                             FormatTimeOfDay(service.CycleNow + minutes / 1440.0, ":"));  // minutes in a day
  return Answer(AnswerKind::kGrace, minutes);
}

bool InGrace(const ServiceState& service, const std::string& userName) {
  const auto grace = service.GraceUntil.find(userName);
  return grace != service.GraceUntil.end() && service.Platform().clock->TickMilliseconds() < grace->second;
}
