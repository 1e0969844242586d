#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fakes/manual_clock.h"
#include "timesync/time_sync_platform.h"

// A time page fetch that answers with a set response, or the one set for its address, and
// records the URLs asked for; the moment of the read comes from the clock.
class FakeTimePageFetcher : public TimePageFetcher {
 public:
  TimePageResponse Fetch(const std::string& url) override {
    urls.push_back(url);
    if (onFetch) onFetch();
    const auto own = responses.find(url);
    TimePageResponse answer = own != responses.end() ? own->second : response;
    if (clock != nullptr) {
      answer.readUtc = clock->UtcNow();
      answer.readTick = clock->TickMilliseconds();
    }
    return answer;
  }

  // The one read returns the body; the response carries the status and the Date header (none
  // when empty).
  void Serve(std::string body, std::string dateHeader = "", int statusCode = 200) {
    response = TimePageResponse{};
    response.statusCode = statusCode;
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
  std::map<std::string, TimePageResponse> responses;  // by address, before `response`
  std::vector<std::string> urls;
  const Clock* clock = nullptr;
  // Runs inside every fetch, for tests that look at the state the fetch starts in.
  std::function<void()> onFetch;
};

// Records every setting of the system clock and, like the system, moves the manual clock to the
// UTC time set; fails with a set failure text instead.
class RecordingClockSetter : public SystemClockSetter {
 public:
  std::optional<std::string> SetSystemTime(const SystemTimeRecord& utc) override {
    records.push_back(utc);
    if (!failure && clock != nullptr)
      clock->SetSystemClock({utc.year, utc.month, utc.day, utc.hour, utc.minute, utc.second, utc.milliseconds});
    return failure;
  }

  std::vector<SystemTimeRecord> records;
  std::optional<std::string> failure;
  ManualClock* clock = nullptr;
};
