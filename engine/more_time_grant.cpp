#include "engine/more_time_grant.h"

#include "engine/save_grace.h"

#include <cctype>
#include <cmath>
#include <optional>

#include "core/service_state.h"
#include "core/service_time.h"
#include "core/version.h"
#include "engine/request_asker.h"
#include "engine/session_backstop.h"
#include "engine/usage_accounting.h"
#include "logging/logs.h"
#include "parentcode/code_guard.h"
#include "parentcode/code_store.h"
#include "base/case_folding.h"
#include "base/date_time.h"
#include "settings/user_state_store.h"

namespace {

constexpr double kMinutesPerDay = 1440.0;
constexpr double kSecondsPerDay = 86400.0;

std::string Answer(AnswerKind kind, int minutes = 0, std::string until = {}) {
  return FormatMoreTimeAnswer({kind, minutes, std::move(until)});
}

// The user's record: the one in memory, read from the user's key at the first request of a run.
CodeRecord& RecordOf(ServiceState& service, const std::string& userName) {
  const std::string key = FoldCase(userName);
  auto found = service.CodeRecords.find(key);
  if (found == service.CodeRecords.end()) found = service.CodeRecords.emplace(key, ReadCodeRecord(service, userName)).first;
  return found->second;
}

// The "HH:MM" of the UTC second in the service's zone, rounded up to the minute: the lock has ended by then.
std::string LocalMinuteOf(ServiceState& service, int64_t utcSecond, int64_t utcNow) {
  const double local = ServiceLocalNow(service) + static_cast<double>(utcSecond - utcNow) / kSecondsPerDay;
  return FormatTimeOfDay(std::ceil(local * kMinutesPerDay - 1e-6) / kMinutesPerDay, ":");
}

// Gives the minutes back: today's count lowered in memory and in the registry, the logoff request
// withdrawn and the minutes still logged on against it forgotten.
void GiveBack(ServiceState& service, int index, int minutes) {
  const std::string& name = service.RestrictedUsers[index];
  LowerCurrentCount(service, index, minutes);
  WriteSpentTimes(service);
  WriteLogoffFlag(service, name, 0);
  NoteStillLogged(service, name, false);
  WriteLogAt(service, 1, "Parent's code accepted for " + name + ": " + std::to_string(minutes) +
                             " minutes given back, spent_time=" + (*TableEntry(service.SpentTimes, index))[0]);
}

}  // namespace

ServiceStatus StatusFor(ServiceState& service, const std::string& accountName) {
  ServiceStatus status{kHourwardenVersion, service.TimeSynced, false, 0, GraceMinutesFor(service, accountName)};
  const int index = service.RestrictedUsers.IndexOf(accountName);
  if (index < 0 || !ReadParentSecret(service)) return status;
  const std::string& name = service.RestrictedUsers[index];
  const CodeRecord& record = RecordOf(service, name);
  status.codeMinutes = MinutesByCodeNow(record, ReadCodeMaxMinutes(service, name), ReadCodeMinutes(service, name),
                                        FormatStoredDate(service.CycleNow));
  status.codeOffered = status.codeMinutes > 0 && record.lockedUntil <= UnixSeconds(service.Platform().clock->UtcNow());
  if (!status.codeOffered) status.codeMinutes = 0;
  return status;
}

std::string AnswerMoreTimeRequest(ServiceState& service, const std::string& accountName, const MoreTimeRequest& request) {
  const std::string from = "More time asked by " + accountName + ": ";
  // Codes are counted in UTC steps: before the time is confirmed no code is looked at.
  const RequestAsker asker = CheckRequestAsker(service, accountName, from);
  if (asker.index < 0) return asker.refusal;
  const int index = asker.index;
  const std::string name = service.RestrictedUsers[index];
  const std::optional<std::string> secret = ReadParentSecret(service);
  if (!secret) {
    WriteLogAt(service, 2, from + "refused, no parent's code is set up");
    return Answer(AnswerKind::kNoParentCode);
  }

  CodeRecord& record = RecordOf(service, name);
  const std::string today = FormatStoredDate(service.CycleNow);
  CodeAttempt attempt;
  attempt.code = request.code;
  attempt.utcSeconds = UnixSeconds(service.Platform().clock->UtcNow());
  attempt.today = today;
  attempt.maxMinutes = ReadCodeMaxMinutes(service, name);
  attempt.codeMinutes = ReadCodeMinutes(service, name);
  // The minutes of the date the user's minutes count on now: a code gives back from that count.
  const std::optional<CountingDay> current = CurrentCount(service, index);
  attempt.spentToday = current ? current->minutes : 0;
  attempt.lastAcceptedStep = ReadMachineCodeStep(service);
  const CodeDecision decision = JudgeCode(*service.Platform().hmac, *secret, record, attempt);
  if (!decision.failure.empty()) {
    WriteLogAt(service, 1, "ERROR: " + from + "the code cannot be checked: " + decision.failure);
    return Answer(AnswerKind::kUnavailable);
  }
  if (decision.lockEnded) WriteLogAt(service, 2, "The parent's code lock-out of " + name + " has ended");

  // Wrong codes count in memory even when the registry refuses them; a right one is taken only
  // once its step is the computer's and the user's record is stored, so that it can never be used
  // twice, by this account or another, nor the day's maximum be passed.
  if (decision.kind == AnswerKind::kAdded && !WriteMachineCodeStep(service, decision.acceptedStep))
    return Answer(AnswerKind::kUnavailable);
  const bool stored = decision.record == record || WriteCodeRecord(service, name, decision.record);
  if (decision.kind == AnswerKind::kAdded && !stored) return Answer(AnswerKind::kUnavailable);
  record = decision.record;

  switch (decision.kind) {
    case AnswerKind::kAdded:
      if (decision.minutesGiven > 0)
        GiveBack(service, index, decision.minutesGiven);
      else
        WriteLogAt(service, 1, "Parent's code accepted for " + name + ": no minutes counted today to give back");
      return Answer(AnswerKind::kAdded, decision.minutesGiven);
    case AnswerKind::kWrongCode:
      WriteLogAt(service, 1, "Wrong parent's code from " + name + " (" + std::to_string(record.wrongCodes) + " in a row)");
      if (!request.asksTriesLeft) return Answer(AnswerKind::kWrongCode);  // a session tool of an earlier version
      return FormatMoreTimeAnswer({AnswerKind::kWrongCode, 0, {}, decision.triesLeft});
    case AnswerKind::kLockedOut: {
      const std::string until = LocalMinuteOf(service, decision.lockedUntil, attempt.utcSeconds);
      if (decision.lockStarted)
        WriteLogAt(service, 1, "Parent's code locked out for " + name + " until " + until + " after " +
                                   std::to_string(record.wrongCodes) + " wrong codes");
      else
        WriteLogAt(service, 2, from + "refused, the code is locked out until " + until);
      return Answer(AnswerKind::kLockedOut, 0, until);
    }
    case AnswerKind::kDailyMaximum:
      WriteLogAt(service, 2, from + "refused, the " + std::to_string(attempt.maxMinutes) +
                                 " minutes a day by code are given already");
      return Answer(AnswerKind::kDailyMaximum, attempt.maxMinutes);
    default:
      WriteLogAt(service, 2, from + "refused, no minutes by code for this user");
      return Answer(AnswerKind::kNoParentCode);
  }
}
