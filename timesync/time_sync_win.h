#pragma once

#include "timesync/time_sync_platform.h"

// The time page through WinINet, with the system's own proxy settings.
class WinInetTimePageFetcher : public TimePageFetcher {
 public:
  TimePageResponse Fetch(const std::string& url) override;
};

// The time zone from GetTimeZoneInformation.
class WindowsTimeZoneQuery : public TimeZoneQuery {
 public:
  TimeZoneReading Read() override;
};

// The local clock set through SetLocalTime.
class WindowsLocalClockSetter : public LocalClockSetter {
 public:
  std::optional<std::string> SetLocalTime(const SystemTimeRecord& record) override;
};
