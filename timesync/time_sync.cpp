#include "timesync/time_sync.h"

#include <memory>

#include "core/service_state.h"
#include "core/service_time.h"
#include "logging/logs.h"
#include "core/general_date_time.h"
#include "settings/registry_access.h"
#include "settings/value_reads.h"
#include "timesync/time_confirmation.h"

namespace {

constexpr double kMillisecondsPerDay = 86'400'000;

// The failure of an address as the debug log shows it: the failure, and the address when the
// failure does not name it already.
std::string FailureOf(const AddressAnswer& answer) {
  const std::string& failure = answer.fetch.page.Failure();
  if (answer.url.empty() || failure.find(answer.url) != std::string::npos) return failure;
  return failure + " (" + answer.url + ")";
}

// Logs why an address gave no time, as the messages of a failed check have it.
void LogFailedAnswer(ServiceState& service, const AddressAnswer& answer) {
  if (answer.fetch.page) {
    if (!answer.time.refusal.empty()) WriteLogAt(service, answer.time.level, answer.time.refusal);
    return;
  }
  switch (answer.fetch.failedAt) {
    case TimePageFailure::kNoInternetHandle:
      WriteLogAt(service, 1, "ERROR:Internet connection not set");
      if (!answer.fetch.page.Failure().empty()) WriteLogAt(service, 1, FailureOf(answer));
      break;
    case TimePageFailure::kNotReached:
      WriteLogAt(service, 2, "ERROR:Not possible to connect to time site");
      WriteLogAt(service, 2, FailureOf(answer));
      break;
    case TimePageFailure::kReadFailed:
      break;
  }
}

// Confirms the time of an answer: the clock as it is when it shows the answer's time, else the
// clock set to it. False when the clock cannot be set.
bool ConfirmAnswer(ServiceState& service, const TimePage& response, double answerUtc) {
  const ServicePlatform& platform = service.Platform();
  const RegionalFormat& format = *platform.regionalFormat;
  if (FormatGeneralDateTime(format, response.readUtc) == FormatGeneralDateTime(format, answerUtc)) {
    ConfirmTime(service, response.readUtc, response.readTick);
    return true;
  }
  // The answer came a moment ago (the tick that takes it may come up to two seconds later): the
  // time set is the answer's plus the time since, by the tick count that nobody can set.
  const uint64_t tick = platform.clock->TickMilliseconds();
  const double utc = answerUtc + static_cast<double>(tick - response.readTick) / kMillisecondsPerDay;
  WriteLogAt(service, 2,
             "Updating date and time. Internet time=" + FormatGeneralDateTime(format, ServiceLocalTime(service, utc)));
  if (const CallResult<> set = platform.systemClockSetter->SetSystemTime(ToSystemTimeRecord(DecodeDateTime(utc)));
      !set) {
    // The clock still shows the time that disagreed, so it stays unconfirmed.
    WriteLogAt(service, 2, "ERROR:Not possible to set date and time");
    WriteLogAt(service, 2, set.Failure());
    return false;
  }
  ConfirmTime(service, utc, tick);
  return true;
}

}  // namespace

TimeSources TimeSourcesOfService(ServiceState& service) {
  std::string value;
  std::unique_ptr<RegistryAccess> registry = service.Platform().openRegistry();
  if (registry && registry->OpenKeyReadOnly(kProductKey))
    value = ReadTextValue(service, *registry, kTimeUrlValue).value_or("");
  return TimeSourcesOf(value);
}

std::shared_ptr<PendingTimeCheck> StartTimeCheck(ServiceState& service) {
  const ServicePlatform& platform = service.Platform();
  const TimeSources sources = TimeSourcesOfService(service);
  if (sources.trustClock) {
    auto trusted = std::make_shared<PendingTimeCheck>();
    trusted->Finish({true, {}});
    return trusted;
  }
  return LaunchTimeCheck({sources.urls, service.MonthNames, platform.buildTimeUtc, platform.timePageFetcher},
                         platform.runWorker);
}

bool SyncInternetTime(ServiceState& service, const TimeCheckResult& result) {
  const Clock& clock = *service.Platform().clock;
  if (result.trustClock) {
    ConfirmTime(service, clock.UtcNow(), clock.TickMilliseconds());
    return true;
  }
  for (const AddressAnswer& answer : result.answers) {
    if (answer.time.utc) return ConfirmAnswer(service, answer.fetch.page.Value(), *answer.time.utc);
    LogFailedAnswer(service, answer);
  }
  return false;
}

SystemTimeRecord ToSystemTimeRecord(const DateTimeParts& utc) {
  SystemTimeRecord record;
  record.year = utc.year;
  record.month = utc.month;
  record.dayOfWeek = DayOfWeek(EncodeDateTime(utc)) - 1;  // DayOfWeek counts Sunday as 1
  record.day = utc.day;
  record.hour = utc.hour;
  record.minute = utc.minute;
  record.second = utc.second;
  record.milliseconds = 0;
  return record;
}
