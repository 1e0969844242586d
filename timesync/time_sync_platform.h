#pragma once

#include <cstdint>
#include <string>

#include "base/call_result.h"

// The platform operations of the internet time check: the fetch of the time page and the setting
// of the system clock. Each reports plain data; the decisions are the core's.

// The answer of the time site, as the one read of the time page gave it.
struct TimePage {
  // The status code of the answer, 200 for "200 OK".
  int statusCode = 200;
  // The bytes the one read returned, at most kTimePageReadSize.
  std::string body;
  // The value of the response's Date header as sent; empty when it has none.
  std::string dateHeader;
  // The moment the fetch ended, right after the read: the UTC clock (days since 1899-12-30) and
  // the tick count (milliseconds).
  double readUtc = 0;
  uint64_t readTick = 0;
};

// Where a fetch of the time page stopped when it gave no page.
enum class TimePageFailure {
  kNoInternetHandle,  // the internet session could not be opened
  kNotReached,        // the address could not be used, the site not reached (or not trusted), or
                      // it sent no complete answer before the deadline
  kReadFailed,        // the read failed, or did not end before the deadline
};

// What one fetch of the time page gave: the page, or the failed call and where the fetch stopped.
struct TimePageFetch {
  CallResult<TimePage> page = TimePage{};
  TimePageFailure failedAt = TimePageFailure::kNotReached;
};

// How long one address may take, whatever the site sends: 30 seconds.
inline constexpr uint32_t kTimePageDeadlineMs = 30'000;

// Fetches the time page. The time check calls it on a thread of its own, which may outlive the
// service object: an implementation keeps nothing of the service's and is shared (owned) by
// every check that uses it.
class TimePageFetcher {
 public:
  virtual ~TimePageFetcher() = default;
  // Opens the http:// or https:// address (fetched from the server, not from a cache, no
  // redirection followed, an https:// site's certificate checked), reads once and closes every
  // handle before returning. Gives up on a site that has not answered within kTimePageDeadlineMs,
  // however slowly it keeps sending.
  virtual TimePageFetch Fetch(const std::string& url) = 0;
};

// The UTC date and time to set, field by field as the system's time record holds them.
struct SystemTimeRecord {
  int year = 0, month = 0;
  int dayOfWeek = 0;  // 0 Sunday .. 6 Saturday
  int day = 0, hour = 0, minute = 0, second = 0, milliseconds = 0;
  bool operator==(const SystemTimeRecord&) const = default;
};

// Sets the system clock, which holds UTC: no time zone is involved.
class SystemClockSetter {
 public:
  virtual ~SystemClockSetter() = default;
  // Sets the UTC date and time; done, or the failed call and its error code.
  virtual CallResult<> SetSystemTime(const SystemTimeRecord& utc) = 0;
};
