#pragma once

#include <cstdint>

#include "timesync/time_sync_platform.h"

// How long a fetch waits for the site to take the connection, the request and to answer.
inline constexpr uint32_t kTimePageTimeoutMs = 15'000;

// The time page through WinINet, with the system's own proxy settings.
class WinInetTimePageFetcher : public TimePageFetcher {
 public:
  explicit WinInetTimePageFetcher(uint32_t timeoutMs = kTimePageTimeoutMs) : timeoutMs_(timeoutMs) {}
  TimePageResponse Fetch(const std::string& url) override;

 private:
  uint32_t timeoutMs_;
};

// The system clock set through SetSystemTime.
class WindowsSystemClockSetter : public SystemClockSetter {
 public:
  std::optional<std::string> SetSystemTime(const SystemTimeRecord& utc) override;
};
