#include "platform/time_zones_win.h"

#include <windows.h>

#include "platform/system_time_win.h"
#include "platform/win_error.h"
#include "base/zone_name.h"

struct WindowsTimeZones::KeptRules {
  std::string zoneKey;
  int year = 0;
  TIME_ZONE_INFORMATION rules{};
};

namespace {

// Key names are plain ASCII (ZoneNameProblem), so each character widens as it is.
void CopyKeyName(const std::string& zoneKey, DYNAMIC_TIME_ZONE_INFORMATION& zone) {
  size_t i = 0;
  for (; i < zoneKey.size() && i + 1 < ARRAYSIZE(zone.TimeZoneKeyName); ++i)
    zone.TimeZoneKeyName[i] = static_cast<WCHAR>(static_cast<unsigned char>(zoneKey[i]));
  zone.TimeZoneKeyName[i] = L'\0';
}

}  // namespace

WindowsTimeZones::WindowsTimeZones() = default;
WindowsTimeZones::~WindowsTimeZones() = default;

CallResult<DateTimeParts> WindowsTimeZones::LocalTime(const std::string& zoneKey, const DateTimeParts& utc) const {
  // Refused before any call: the rule's own text, with the code Windows gives a malformed name.
  if (const std::optional<std::string> problem = ZoneNameProblem(zoneKey))
    return CallFailure{*problem, ERROR_INVALID_NAME};
  std::lock_guard lock(mutex_);
  if (!kept_ || kept_->zoneKey != zoneKey || kept_->year != utc.year) {
    DYNAMIC_TIME_ZONE_INFORMATION zone{};
    CopyKeyName(zoneKey, zone);
    auto rules = std::make_unique<KeptRules>();
    // The rules the zone has in that year, from the zone's key and its "Dynamic DST" subkey.
    if (!GetTimeZoneInformationForYear(static_cast<USHORT>(utc.year), &zone, &rules->rules))
      return WindowsCallFailure("GetTimeZoneInformationForYear", GetLastError());
    rules->zoneKey = zoneKey;
    rules->year = utc.year;
    kept_ = std::move(rules);
  }
  const SYSTEMTIME universal = ToSystemTime(utc);
  SYSTEMTIME local{};
  if (!SystemTimeToTzSpecificLocalTime(&kept_->rules, &universal, &local))
    return WindowsCallFailure("SystemTimeToTzSpecificLocalTime", GetLastError());
  return FromSystemTime(local);
}

std::string WindowsTimeZones::SystemZoneKey() const {
  DYNAMIC_TIME_ZONE_INFORMATION zone{};
  if (GetDynamicTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return {};
  std::string key;
  for (const WCHAR* c = zone.TimeZoneKeyName; *c != L'\0' && key.size() < kMaxZoneKeyLength; ++c)
    key += *c < 0x80 ? static_cast<char>(*c) : '?';
  return key;
}
