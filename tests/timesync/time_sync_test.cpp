#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/service_fixture.h"
#include "service/cycle_steps.h"
#include "timesync/time_check.h"
#include "timesync/time_confirmation.h"
#include "timesync/time_sync.h"

namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing::StartsWith;

const std::string kExamplePage = "<HTML><PRE>\n<BR>Dec. 08, 03:34:30 UTC\tUniversal Time</PRE></HTML>";
const std::string kNoPage = "<HTML><BODY>404 Not Found</BODY></HTML>";
const std::string kHeader = "Tue, 08 Dec 2026 17:18:19 GMT";
// The example page's time and the header's, as the system clock is set to them.
const SystemTimeRecord kPageRecord{2026, 12, 2, 8, 3, 34, 30, 0};
const SystemTimeRecord kHeaderRecord{2026, 12, 2, 8, 17, 18, 19, 0};

const std::string kSite = "https://time.example.net/";

// The service asking one site (TimeUrl), with the lines of its construction dropped.
THourwarden& AskingOneSite(ServiceFixture& fixture) {
  fixture.registry.SetStringForTesting(kProductKey, "TimeUrl", kSite);
  THourwarden& service = fixture.Build();
  service.DebugLines.Clear();
  return service;
}

class TimeSyncTest : public testing::Test {
 protected:
  THourwarden& Build(int debugLevel = 2) {
    THourwarden& service = AskingOneSite(fixture);
    service.DebugLines.Clear();
    service.DebugLevel = debugLevel;
    return service;
  }
  const std::vector<SystemTimeRecord>& Records() const { return fixture.clockSetter.records; }

  ServiceFixture fixture;
};

// The system clock holds UTC: the page's time is set as it is, whatever the zones say; the
// message shows it in the service's zone, as every line of the log.
TEST_F(TimeSyncTest, SetsTheSystemClockToThePageTimeInUtc) {
  struct Case {
    const char* name;
    int systemOffset;
    std::string timeZone;
    const char* message;
  };
  const Case cases[] = {
      {"one hour east", 60, "", "Updating date and time. Internet time=08.12.2026 04:34:30"},
      {"five hours west", -300, "", "Updating date and time. Internet time=07.12.2026 22:34:30"},
      {"administrator's zone", -300, "Tokyo Standard Time", "Updating date and time. Internet time=08.12.2026 12:34:30"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ServiceFixture local;
    local.clock.SetSystemZoneOffset(c.systemOffset);
    local.clock.SetUtc({2026, 12, 8, 9, 0, 0, 0});
    local.timePageFetcher.Serve(kExamplePage);
    THourwarden& service = AskingOneSite(local);
    service.TimeZone = c.timeZone;
    service.DebugLines.Clear();

    EXPECT_TRUE(local.CheckTime());
    EXPECT_THAT(local.clockSetter.records, ElementsAre(kPageRecord));
    EXPECT_THAT(local.BufferedMessages(), ElementsAre(c.message));
    // The time set is the confirmed one, with the tick count of the read.
    EXPECT_EQ(service.LastConfirmedTime.utc, EncodeDateTime({2026, 12, 8, 3, 34, 30, 0}));
    EXPECT_EQ(service.LastConfirmedTime.tick, local.clock.TickMilliseconds());
    EXPECT_EQ(service.NextTimeCheckTick, local.clock.TickMilliseconds() + kTimeRecheckMs);
  }
}

TEST_F(TimeSyncTest, LeavesAClockThatAgreesAloneAndConfirmsIt) {
  fixture.clock.SetUtc({2026, 12, 8, 3, 34, 30, 0});
  fixture.timePageFetcher.Serve(kExamplePage);
  THourwarden& service = Build(4);
  EXPECT_TRUE(fixture.CheckTime());
  EXPECT_TRUE(Records().empty());
  EXPECT_TRUE(fixture.BufferedMessages().empty());
  EXPECT_EQ(service.LastConfirmedTime.utc, fixture.clock.UtcNow());
}

TEST_F(TimeSyncTest, TakesThePageYearAcrossNewYear) {
  fixture.clock.SetUtc({2027, 1, 1, 0, 10, 0, 0});
  fixture.timePageFetcher.Serve("<PRE>\n<BR>Dec. 31, 23:30:00 UTC");
  Build();
  EXPECT_TRUE(fixture.CheckTime());
  EXPECT_THAT(Records(), ElementsAre(SystemTimeRecord{2026, 12, 4, 31, 23, 30, 0, 0}));
}

TEST_F(TimeSyncTest, TakesTheDateHeaderWhenThereIsNoPage) {
  struct Case {
    const char* name;
    std::string body;
  };
  for (const Case& c : {Case{"no marker", kNoPage}, Case{"no zone label", "<PRE>\n<BR>Dec. 08, 03:34:30"},
                        Case{"too few values", "<PRE>\n<BR>Dec. 08 UTC"}, Case{"empty body", ""}}) {
    SCOPED_TRACE(c.name);
    ServiceFixture local;
    local.clock.SetNow({2025, 1, 2, 10, 0, 0, 0});  // wrong by a year: the header carries its own
    local.timePageFetcher.Serve(c.body, kHeader);
    AskingOneSite(local);
    EXPECT_TRUE(local.CheckTime());
    EXPECT_THAT(local.clockSetter.records, ElementsAre(kHeaderRecord));
  }
}

// Only a 200 answer counts for a page and only a 2xx or 3xx one for a bare Date header: a
// captive portal's or a broken site's error page says nothing about the time.
TEST_F(TimeSyncTest, TakesTheTimeOnlyFromAnswersOfTheRightStatus) {
  struct Case {
    int status;
    std::string body;
    std::optional<SystemTimeRecord> record;
  };
  const Case cases[] = {
      {200, kExamplePage, kPageRecord}, {203, kExamplePage, kHeaderRecord}, {204, "", kHeaderRecord},
      {302, kExamplePage, kHeaderRecord}, {304, "", kHeaderRecord}, {404, kExamplePage, std::nullopt},
      {500, "", std::nullopt}, {101, "", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    ServiceFixture local;
    local.timePageFetcher.Serve(c.body, kHeader, c.status);
    THourwarden& service = AskingOneSite(local);
    service.DebugLevel = 2;
    service.DebugLines.Clear();
    EXPECT_EQ(local.CheckTime(), c.record.has_value());
    if (c.record) {
      EXPECT_THAT(local.clockSetter.records, ElementsAre(*c.record));
    } else {
      EXPECT_TRUE(local.clockSetter.records.empty());
      EXPECT_THAT(local.BufferedMessages(),
                  ElementsAre("ERROR: The time site answered with status " + std::to_string(c.status) +
                              ", which gives no time"));
    }
  }
}

// The program cannot run before it was built: an older time is a network lying about the date.
TEST_F(TimeSyncTest, RefusesATimeMoreThanTwoDaysBeforeTheBuild) {
  const double build = EncodeDateTime({2026, 12, 9, 0, 52, 19, 0});
  struct Case {
    const char* name;
    double buildTime;
    std::string header;
    bool accepted;
  };
  const Case cases[] = {
      {"a minute more than 48 hours before", build, "Mon, 07 Dec 2026 00:51:19 GMT", false},
      {"a minute less than 48 hours before", build, "Mon, 07 Dec 2026 00:53:19 GMT", true},
      {"after the build", build, "Thu, 10 Dec 2026 08:00:00 GMT", true},
      {"years before, build time unknown", 0, "Mon, 03 Dec 2001 10:00:00 GMT", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ServiceFixture local;
    local.platform.buildTimeUtc = c.buildTime;
    local.timePageFetcher.Serve("", c.header);
    THourwarden& service = AskingOneSite(local);
    service.DebugLevel = 1;
    service.DebugLines.Clear();
    EXPECT_EQ(local.CheckTime(), c.accepted);
    EXPECT_EQ(local.clockSetter.records.size(), c.accepted ? 1u : 0u);
    if (!c.accepted) {
      EXPECT_THAT(local.BufferedMessages(),
                  ElementsAre("ERROR: The internet time 07.12.2026 00:51:19 UTC lies more than 48 hours before "
                              "this program was built (09.12.2026 00:52:19 UTC), so it is not used"));
    }
  }
}

// The page carries no year: a clock set back to before the build takes the build's year instead.
TEST_F(TimeSyncTest, AClockBehindTheBuildTakesThePageYearFromTheBuild) {
  fixture.platform.buildTimeUtc = EncodeDateTime({2026, 11, 30, 12, 0, 0, 0});
  fixture.clock.SetUtc({2020, 6, 1, 8, 0, 0, 0});
  fixture.timePageFetcher.Serve(kExamplePage);
  Build();
  EXPECT_TRUE(fixture.CheckTime());
  EXPECT_THAT(Records(), ElementsAre(kPageRecord));
}

TEST_F(TimeSyncTest, FailsWithNeitherPageNorDateAndLeavesTheClock) {
  struct Case {
    const char* name;
    std::string body;
    std::string header;
  };
  const Case cases[] = {
      {"no header", kNoPage, ""},
      {"malformed header", kNoPage, "Tue, 08 Dec 2026 17:18:19"},
      {"obsolete header form", kNoPage, "Tuesday, 08-Dec-26 17:18:19 GMT"},
      // A page that has its values but not a valid date is a failure, not a reason to look further.
      {"invalid page date", "<PRE>\n<BR>Feb. 29, 03:34:30 UTC", kHeader},
      {"nine-letter month", "<PRE>\n<BR>September 08, 03:34:30 UTC", kHeader},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ServiceFixture local;
    local.timePageFetcher.Serve(c.body, c.header);
    THourwarden& service = AskingOneSite(local);
    service.DebugLines.Clear();
    EXPECT_FALSE(local.CheckTime());
    EXPECT_TRUE(local.clockSetter.records.empty());
    EXPECT_TRUE(local.BufferedMessages().empty());
  }
}

TEST_F(TimeSyncTest, FailedFetchesLogAtTheirLevels) {
  struct Case {
    const char* name;
    TimePageFailure stage;
    const char* failure;
    int quietLevel;  // the highest debug level that produces no message
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"no internet session", TimePageFailure::kNoInternetHandle, "WinHttpOpen failed with error 2: x", 0,
       {"ERROR:Internet connection not set", "WinHttpOpen failed with error 2: x (" + kSite + ")"}},
      {"site not reached", TimePageFailure::kNotReached, "WinHttpSendRequest failed with error 12029: ", 1,
       {"ERROR:Not possible to connect to time site", "WinHttpSendRequest failed with error 12029:  (" + kSite + ")"}},
      {"read failed", TimePageFailure::kReadFailed, "WinHttpReadData failed with error 12002: ", 4, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int level : {c.quietLevel, c.quietLevel + 1}) {
      ServiceFixture local;
      local.timePageFetcher.Fail(c.stage, c.failure);
      THourwarden& service = AskingOneSite(local);
      service.DebugLines.Clear();
      service.DebugLevel = level;
      EXPECT_FALSE(local.CheckTime());
      EXPECT_TRUE(local.clockSetter.records.empty());
      const bool quiet = level == c.quietLevel || c.messages.empty();
      EXPECT_EQ(local.BufferedMessages(), quiet ? std::vector<std::string>{} : c.messages) << "level " << level;
    }
  }
}

TEST_F(TimeSyncTest, AClockThatCannotBeSetStaysUnconfirmed) {
  fixture.timePageFetcher.Serve(kExamplePage);
  fixture.clockSetter.failure = "SetSystemTime failed with error 1314: ";
  THourwarden& service = Build();
  EXPECT_FALSE(fixture.CheckTime());
  EXPECT_EQ(service.LastConfirmedTime.tick, 0u);
  EXPECT_THAT(fixture.BufferedMessages(),
              ElementsAre("Updating date and time. Internet time=08.12.2026 04:34:30",
                          "ERROR:Not possible to set date and time", "SetSystemTime failed with error 1314: "));
}

TEST_F(TimeSyncTest, UpdateMessageNeedsLevelTwo) {
  fixture.timePageFetcher.Serve(kExamplePage);
  Build(1);
  EXPECT_TRUE(fixture.CheckTime());
  EXPECT_EQ(Records().size(), 1u);
  EXPECT_TRUE(fixture.BufferedMessages().empty());
}

// The addresses are asked in order until one gives the time; each one that gave none is logged
// with its address, and those after the one that answered are never asked.
TEST_F(TimeSyncTest, AsksTheAddressesInOrderUntilOneGivesTheTime) {
  THourwarden& service = Build();
  fixture.registry.SetStringForTesting(kProductKey, "TimeUrl", " https://a.example/ http://b.example/\thttps://c.example/  https://d.example/");
  FakeTimePageFetcher& fetcher = fixture.timePageFetcher;
  fetcher.responses["https://a.example/"] = {CallFailure{"WinHttpSendRequest failed with error 12007: name"},
                                             TimePageFailure::kNotReached};
  fetcher.responses["http://b.example/"] = FakeTimePageFetcher::Page("", "", 404);
  fetcher.Serve(kExamplePage);
  EXPECT_TRUE(fixture.CheckTime());
  EXPECT_THAT(fetcher.urls, ElementsAre("https://a.example/", "http://b.example/", "https://c.example/"));
  EXPECT_THAT(Records(), ElementsAre(kPageRecord));
  EXPECT_THAT(fixture.BufferedMessages(),
              ElementsAre("ERROR:Not possible to connect to time site",
                          "WinHttpSendRequest failed with error 12007: name (https://a.example/)",
                          "ERROR: The time site answered with status 404, which gives no time",
                          "Updating date and time. Internet time=08.12.2026 04:34:30"));
  EXPECT_EQ(service.LastConfirmedTime.tick, fixture.clock.TickMilliseconds());
}

// An answer taken a while after it came sets the clock to its time plus the time since, by the
// tick count.
TEST_F(TimeSyncTest, TheClockSetAfterTheAnswerCameRunsOnByTheTimeSince) {
  fixture.timePageFetcher.Serve(kExamplePage);
  THourwarden& service = Build();
  const std::optional<TimeCheckResult> result = StartTimeCheck(service)->Take();
  fixture.clock.AdvanceSeconds(2);
  EXPECT_TRUE(SyncInternetTime(service, *result));
  EXPECT_THAT(Records(), ElementsAre(SystemTimeRecord{2026, 12, 2, 8, 3, 34, 32, 0}));
  EXPECT_EQ(service.LastConfirmedTime.tick, fixture.clock.TickMilliseconds());
}

// TimeUrl "none" asks nobody: the computer's clock is confirmed as it is, whatever it shows.
TEST_F(TimeSyncTest, NoneTrustsTheClockWithoutAsking) {
  THourwarden& service = Build(4);
  fixture.clock.SetUtc({2031, 1, 2, 3, 4, 5, 0});
  fixture.registry.SetStringForTesting(kProductKey, "TimeUrl", "none");
  EXPECT_TRUE(fixture.CheckTime());
  EXPECT_TRUE(fixture.timePageFetcher.urls.empty());
  EXPECT_TRUE(Records().empty());
  EXPECT_EQ(service.LastConfirmedTime.utc, fixture.clock.UtcNow());
  EXPECT_TRUE(fixture.BufferedMessages().empty());
}

// The addresses come from the TimeUrl value at every check, through a read-only access that is
// closed before the fetch starts; the default ones when it is empty, of the wrong type, or absent
// with its key.
TEST_F(TimeSyncTest, ReadsTheAddressesFromTimeUrlAtEveryCheck) {
  InMemoryRegistry& registry = fixture.registry;
  fixture.timePageFetcher.Serve(kExamplePage);
  int keysOpenDuringFetch = -1;
  fixture.timePageFetcher.onFetch = [&] { keysOpenDuringFetch = registry.OpenKeyCountForTesting(); };
  Build(1);
  registry.SetStringForTesting(kProductKey, "TimeUrl", "http://127.0.0.1:8080/cgi-bin/timer.pl");
  EXPECT_TRUE(fixture.CheckTime());
  EXPECT_EQ(keysOpenDuringFetch, 0);
  registry.SetStringForTesting(kProductKey, "TimeUrl", " ");
  EXPECT_TRUE(fixture.CheckTime());
  registry.SetIntegerForTesting(kProductKey, "TimeUrl", 5);
  EXPECT_TRUE(fixture.CheckTime());
  registry.DeleteKeyForTesting(kProductKey);
  EXPECT_TRUE(fixture.CheckTime());
  const std::string microsoft = kDefaultTimeUrls[0];
  EXPECT_THAT(fixture.timePageFetcher.urls,
              ElementsAre("http://127.0.0.1:8080/cgi-bin/timer.pl", microsoft, microsoft, microsoft));
  EXPECT_EQ(registry.OpenKeyCountForTesting(), 0);
  EXPECT_FALSE(registry.KeyExistsForTesting(kProductKey));  // the read creates nothing
  ASSERT_FALSE(fixture.BufferedMessages().empty());
  EXPECT_THAT(fixture.BufferedMessages()[0], StartsWith("ERROR: Registry value \"TimeUrl\""));
  EXPECT_THAT(fixture.BufferedMessages()[0], HasSubstr("taken as absent"));
}

// Whatever a site's answer makes the fetch throw, the check ends as a failed one instead of
// ending the service on the check's thread.
TEST(TimeCheckThreadTest, AThrowOfAnyKindEndsTheCheckAsFailed) {
  struct ThrowingFetcher : TimePageFetcher {
    TimePageFetch Fetch(const std::string&) override { throw 42; }
  };
  TimeCheckRequest request;
  request.urls = {"https://time.example/"};
  request.fetcher = std::make_shared<ThrowingFetcher>();
  const auto pending = LaunchTimeCheck(request, [](std::function<void()> work) { work(); });
  const std::optional<TimeCheckResult> result = pending->Take();
  ASSERT_TRUE(result && result->answers.size() == 1);
  EXPECT_EQ(result->answers[0].fetch.page.Failure(), "The time check failed with an exception of an unknown kind");
}

}  // namespace
