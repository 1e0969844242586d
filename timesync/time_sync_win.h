#pragma once

#include <cstdint>
#include <memory>

#include "platform/clock_win.h"
#include "timesync/time_sync_platform.h"

// How long one step of a fetch (the name's resolution, the connection, the request, each part of
// the answer) may wait for the site: 15 seconds. The whole fetch ends at kTimePageDeadlineMs.
inline constexpr uint32_t kTimePageTimeoutMs = 15'000;

// The time page through WinHTTP, the HTTP library made for services, with the proxy settings
// Windows itself uses. Shared by the time checks, which may outlive the service object: it keeps
// nothing but its settings and the clock that dates the answers (the service's clock, shared).
class WinHttpTimePageFetcher : public TimePageFetcher {
 public:
  explicit WinHttpTimePageFetcher(uint32_t deadlineMs = kTimePageDeadlineMs, uint32_t stepTimeoutMs = kTimePageTimeoutMs,
                                  std::shared_ptr<const Clock> clock = std::make_shared<WindowsClock>())
      : deadlineMs_(deadlineMs), stepTimeoutMs_(stepTimeoutMs), clock_(std::move(clock)) {}
  TimePageFetch Fetch(const std::string& url) override;

 private:
  // The fetch without its moment.
  TimePageFetch FetchAnswer(const std::string& url) const;

  uint32_t deadlineMs_;
  uint32_t stepTimeoutMs_;
  std::shared_ptr<const Clock> clock_;
};

// The system clock set through SetSystemTime.
class WindowsSystemClockSetter : public SystemClockSetter {
 public:
  CallResult<> SetSystemTime(const SystemTimeRecord& utc) override;
};
