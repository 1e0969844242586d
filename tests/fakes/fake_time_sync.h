#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "timesync/time_sync_platform.h"

// A time page fetch that answers with a set response and records the URLs asked for.
class FakeTimePageFetcher : public TimePageFetcher {
 public:
  TimePageResponse Fetch(const std::string& url) override {
    urls.push_back(url);
    if (onFetch) onFetch();
    return response;
  }

  // The one read returns the body; the response carries the Date header (none when empty).
  void Serve(std::string body, std::string dateHeader = "") {
    response = TimePageResponse{};
    response.body = std::move(body);
    response.dateHeader = std::move(dateHeader);
  }
  // The fetch ends with the outcome, naming the failed call.
  void Fail(TimePageResponse::Outcome outcome, std::string failure) {
    response = TimePageResponse{};
    response.outcome = outcome;
    response.failure = std::move(failure);
  }

  TimePageResponse response;
  std::vector<std::string> urls;
  // Runs inside every fetch, for tests that look at the state the fetch starts in.
  std::function<void()> onFetch;
};

// A time zone with set biases; one hour east of UTC in standard time unless a test says otherwise.
class FakeTimeZoneQuery : public TimeZoneQuery {
 public:
  FakeTimeZoneQuery() {
    reading.period = TimeZoneReading::Period::Standard;
    reading.bias = -60;
  }
  TimeZoneReading Read() override { return reading; }

  TimeZoneReading reading;
};

// Records every clock setting instead of setting the clock; fails with a set failure text.
class RecordingClockSetter : public LocalClockSetter {
 public:
  std::optional<std::string> SetLocalTime(const SystemTimeRecord& record) override {
    records.push_back(record);
    return failure;
  }

  std::vector<SystemTimeRecord> records;
  std::optional<std::string> failure;
};
