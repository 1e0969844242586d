#include "timesync/time_sync.h"

#include <algorithm>
#include <memory>

#include "core/service_state.h"
#include "core/service_time.h"
#include "logging/logs.h"
#include "platform/regional_format.h"
#include "settings/registry_access.h"
#include "settings/value_reads.h"
#include "timesync/http_date.h"
#include "timesync/time_confirmation.h"
#include "timesync/time_page.h"

namespace {

bool IsSuccess(int status) { return status >= 200 && status <= 299; }
bool IsRedirection(int status) { return status >= 300 && status <= 399; }

}  // namespace

std::string TimePageUrl(ServiceState& service) {
  std::string url;
  if (const RegistryOpener& openRegistry = service.Platform().openRegistry) {
    std::unique_ptr<RegistryAccess> registry = openRegistry();
    if (registry && registry->OpenKeyReadOnly(kProductKey))
      url = ReadTextValue(service, *registry, kTimeUrlValue).value_or("");
  }
  return url.empty() ? std::string(kDefaultTimeUrl) : url;
}

AnswerTime TimeOfAnswer(const TimePageResponse& response, const StringList& monthNames, double referenceUtc,
                        double buildTimeUtc) {
  AnswerTime answer;
  const int status = response.statusCode;
  if (!IsSuccess(status) && !IsRedirection(status)) {
    answer.refusal = "ERROR: The time site answered with status " + std::to_string(status) + ", which gives no time";
    return answer;
  }
  std::optional<DateTimeParts> utc;
  const std::optional<PageTimeText> page = status == 200 ? ScanTimePage(response.body) : std::nullopt;
  if (page)
    utc = PageUtcTime(*page, monthNames, DecodeDateTime(referenceUtc));
  else
    utc = ParseHttpDate(response.dateHeader);
  if (!utc) return answer;

  const double time = EncodeDateTime(*utc);
  if (buildTimeUtc != 0 && time < buildTimeUtc - kBuildTimeMarginDays) {
    answer.refusal = "ERROR: The internet time " + FormatLogTimestamp(time, ":") +
                     " UTC lies more than 48 hours before this program was built (" +
                     FormatLogTimestamp(buildTimeUtc, ":") + " UTC), so it is not used";
    answer.level = 1;
    return answer;
  }
  answer.utc = time;
  return answer;
}

FetchedTimePage FetchTimePage(const ServicePlatform& platform, const std::string& url) {
  FetchedTimePage fetched;
  fetched.response = platform.timePageFetcher->Fetch(url);
  fetched.readUtc = platform.clock->UtcNow();
  fetched.readTick = platform.clock->TickMilliseconds();
  return fetched;
}

bool SyncInternetTime(ServiceState& service, const TimePageFetch& fetch) {
  const ServicePlatform& platform = service.Platform();
  if (platform.timePageFetcher == nullptr || platform.systemClockSetter == nullptr) {
    WriteLogAt(service, 1, "ERROR:Internet connection not set");
    return false;
  }
  const std::string url = TimePageUrl(service);
  const std::optional<FetchedTimePage> fetched = fetch ? fetch(url) : FetchTimePage(platform, url);
  if (!fetched) return false;
  const TimePageResponse& response = fetched->response;
  switch (response.outcome) {
    case TimePageResponse::Outcome::NoInternetHandle:
      WriteLogAt(service, 1, "ERROR:Internet connection not set");
      WriteLogAt(service, 1, response.failure);
      return false;
    case TimePageResponse::Outcome::NotReached:
      WriteLogAt(service, 2, "ERROR:Not possible to connect to time site");
      WriteLogAt(service, 2, response.failure);
      return false;
    case TimePageResponse::Outcome::ReadFailed:
      return false;
    case TimePageResponse::Outcome::Read:
      break;
  }

  // A clock set back to before the build still finds the page's year.
  const double reference = std::max(fetched->readUtc, platform.buildTimeUtc);
  const AnswerTime answer = TimeOfAnswer(response, service.MonthNames, reference, platform.buildTimeUtc);
  if (!answer.utc) {
    if (!answer.refusal.empty()) WriteLogAt(service, answer.level, answer.refusal);
    return false;
  }

  const RegionalFormat& format = *platform.regionalFormat;
  if (FormatGeneralDateTime(format, fetched->readUtc) == FormatGeneralDateTime(format, *answer.utc)) {
    ConfirmTime(service, fetched->readUtc, fetched->readTick);
    return true;
  }
  WriteLogAt(service, 2,
             "Updating date and time. Internet time=" + FormatGeneralDateTime(format, ServiceLocalTime(service, *answer.utc)));
  if (const std::optional<std::string> failure =
          platform.systemClockSetter->SetSystemTime(ToSystemTimeRecord(DecodeDateTime(*answer.utc)))) {
    // The clock still shows the time that disagreed, so it stays unconfirmed.
    WriteLogAt(service, 2, "ERROR:Not possible to set date and time");
    WriteLogAt(service, 2, *failure);
    return false;
  }
  ConfirmTime(service, *answer.utc, fetched->readTick);
  return true;
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
