#include "timesync/time_sync.h"

#include <memory>

#include "logging/logs.h"
#include "platform/regional_format.h"
#include "core/service_state.h"
#include "settings/registry_access.h"
#include "settings/value_reads.h"
#include "timesync/http_date.h"
#include "timesync/time_page.h"
#include "timesync/zone_time.h"

std::string TimePageUrl(ServiceState& service) {
  std::string url;
  if (const RegistryOpener& openRegistry = service.Platform().openRegistry) {
    std::unique_ptr<RegistryAccess> registry = openRegistry();
    if (registry && registry->OpenKeyReadOnly(kProductKey))
      url = ReadTextValue(service, *registry, kTimeUrlValue).value_or("");
  }
  return url.empty() ? std::string(kDefaultTimeUrl) : url;
}

std::optional<DateTimeParts> ResponseUtcTime(const TimePageResponse& response, const StringList& monthNames,
                                             const DateTimeParts& localNow) {
  if (const std::optional<PageTimeText> page = ScanTimePage(response.body))
    return PageUtcTime(*page, monthNames, localNow);
  return ParseHttpDate(response.dateHeader);
}

bool SyncInternetTime(ServiceState& service) {
  const ServicePlatform& platform = service.Platform();
  if (platform.timePageFetcher == nullptr || platform.timeZoneQuery == nullptr ||
      platform.localClockSetter == nullptr) {
    WriteLogAt(service, 1, "ERROR:Internet connection not set");
    return false;
  }
  const TimePageResponse response = platform.timePageFetcher->Fetch(TimePageUrl(service));
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
  const double readTime = platform.clock->Now();

  const TimeZoneReading zone = platform.timeZoneQuery->Read();
  const std::optional<int64_t> offset = ZoneOffsetMinutes(zone);
  if (!offset) {
    WriteLogAt(service, 2, "ERROR:Not possible to read time zone");
    WriteLogAt(service, 2, zone.failure);
    return false;
  }

  const std::optional<DateTimeParts> utc = ResponseUtcTime(response, service.MonthNames, DecodeDateTime(readTime));
  if (!utc) return false;
  const std::optional<DateTimeParts> local = UtcToLocal(*utc, *offset);
  if (!local) return false;

  const RegionalFormat& format = *platform.regionalFormat;
  const std::string internetTime = FormatGeneralDateTime(format, EncodeDateTime(*local));
  if (FormatGeneralDateTime(format, readTime) == internetTime) return true;

  WriteLogAt(service, 2, "Updating date and time. Internet time=" + internetTime);
  if (const std::optional<std::string> failure = platform.localClockSetter->SetLocalTime(ToSystemTimeRecord(*local))) {
    // The clock still shows the time that disagreed, so it stays unconfirmed.
    WriteLogAt(service, 2, "ERROR:Not possible to set date and time");
    WriteLogAt(service, 2, *failure);
    return false;
  }
  return true;
}
