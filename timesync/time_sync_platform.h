#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The platform operations of the internet time check: the fetch of the time page and the setting
// of the system clock. Each reports plain data; the decisions are the core's.

// What one fetch of the time page gave.
struct TimePageResponse {
  enum class Outcome {
    Read,              // the answer came and the one read succeeded; the fields below hold it
    NoInternetHandle,  // the internet session could not be opened
    NotReached,        // the address could not be used, the site not reached (or not trusted), or
                       // it sent no complete answer before the deadline
    ReadFailed,        // the read failed, or did not end before the deadline
  };
  Outcome outcome = Outcome::Read;
  // For a failed outcome: the call that failed and its error code.
  std::string failure;
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
  virtual TimePageResponse Fetch(const std::string& url) = 0;
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
  // Sets the UTC date and time; nothing when it was set, else the call and its error code.
  virtual std::optional<std::string> SetSystemTime(const SystemTimeRecord& utc) = 0;
};
