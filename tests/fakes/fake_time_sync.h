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
  TimePageFetch Fetch(const std::string& url) override {
    urls.push_back(url);
    if (onFetch) onFetch();
    const auto own = responses.find(url);
    const TimePageFetch& answer = own != responses.end() ? own->second : response;
    if (!answer.page || clock == nullptr) return answer;
    TimePage page = answer.page.Value();
    page.readUtc = clock->UtcNow();
    page.readTick = clock->TickMilliseconds();
    return {page};
  }

  // A fetch whose one read returns the body, with the status and the Date header (none when
  // empty).
  static TimePageFetch Page(std::string body, std::string dateHeader = "", int statusCode = 200) {
    return {TimePage{statusCode, std::move(body), std::move(dateHeader), 0, 0}};
  }
  // Every fetch gives the page as above.
  void Serve(std::string body, std::string dateHeader = "", int statusCode = 200) {
    response = Page(std::move(body), std::move(dateHeader), statusCode);
  }
  // Every fetch stops where given, naming the failed call.
  void Fail(TimePageFailure stage, std::string failure) { response = {CallFailure{std::move(failure)}, stage}; }

  TimePageFetch response;
  std::map<std::string, TimePageFetch> responses;  // by address, before `response`
  std::vector<std::string> urls;
  const Clock* clock = nullptr;
  // Runs inside every fetch, for tests that look at the state the fetch starts in.
  std::function<void()> onFetch;
};

// Records every setting of the system clock and, like the system, moves the manual clock to the
// UTC time set; fails with a set failure text instead.
class RecordingClockSetter : public SystemClockSetter {
 public:
  CallResult<> SetSystemTime(const SystemTimeRecord& utc) override {
    records.push_back(utc);
    if (failure) return CallFailure{*failure};
    if (clock != nullptr)
      clock->SetSystemClock({utc.year, utc.month, utc.day, utc.hour, utc.minute, utc.second, utc.milliseconds});
    return {};
  }

  std::vector<SystemTimeRecord> records;
  std::optional<std::string> failure;
  ManualClock* clock = nullptr;
};
