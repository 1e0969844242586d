#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The platform operations of the internet time check: the fetch of the time page, the time-zone
// query and the setting of the local clock. Each reports plain data; the decisions are the core's.

// What one fetch of the time page gave.
struct TimePageResponse {
  enum class Outcome {
    Read,              // the one read succeeded; body and dateHeader hold what came
    NoInternetHandle,  // the internet handle could not be opened
    NotReached,        // the page's URL could not be opened
    ReadFailed,        // the read failed
  };
  Outcome outcome = Outcome::Read;
  // For a failed outcome: the call that failed and its error code.
  std::string failure;
  // The bytes the one read returned, at most kTimePageReadSize.
  std::string body;
  // The value of the response's Date header as sent; empty when it has none.
  std::string dateHeader;
};

// Fetches the time page over HTTP.
class TimePageFetcher {
 public:
  virtual ~TimePageFetcher() = default;
  // Opens the URL (fetched from the server, not from a cache), reads once and closes every handle
  // before returning.
  virtual TimePageResponse Fetch(const std::string& url) = 0;
};

// The system's time-zone settings, in minutes (local time = UTC - bias).
struct TimeZoneReading {
  enum class Period {
    Unknown,   // the zone has no daylight saving time
    Standard,  // standard time is in force
    Daylight,  // daylight saving time is in force
    Failed,    // the query failed
  };
  Period period = Period::Unknown;
  int32_t bias = 0;
  int32_t standardBias = 0;
  int32_t daylightBias = 0;
  // For a failed query: the call and its error code.
  std::string failure;
};

// Reads the system's time-zone settings.
class TimeZoneQuery {
 public:
  virtual ~TimeZoneQuery() = default;
  // The zone's biases and which period is in force now.
  virtual TimeZoneReading Read() = 0;
};

// The local date and time to set, field by field as the system's time record holds them.
struct SystemTimeRecord {
  int year = 0, month = 0;
  int dayOfWeek = 0;  // 0 Sunday .. 6 Saturday
  int day = 0, hour = 0, minute = 0, second = 0, milliseconds = 0;
  bool operator==(const SystemTimeRecord&) const = default;
};

// Sets the local clock.
class LocalClockSetter {
 public:
  virtual ~LocalClockSetter() = default;
  // Sets the local date and time; nothing when it was set, else the call and its error code.
  virtual std::optional<std::string> SetLocalTime(const SystemTimeRecord& record) = 0;
};
