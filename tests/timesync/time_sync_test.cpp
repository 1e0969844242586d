#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/service_fixture.h"
#include "service/cycle_steps.h"
#include "timesync/time_sync.h"

namespace {

using Period = TimeZoneReading::Period;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::StartsWith;

const std::string kExamplePage = "<HTML><PRE>\n<BR>Dec. 08, 03:34:30 UTC\tUniversal Time</PRE></HTML>";
const std::string kNoPage = "<HTML><BODY>404 Not Found</BODY></HTML>";

class TimeSyncTest : public testing::Test {
 protected:
  THourwarden& Build(int debugLevel = 2) {
    THourwarden& service = fixture.Build();
    service.DebugLines.Clear();
    service.DebugLevel = debugLevel;
    return service;
  }
  void SetZone(TimeZoneReading::Period period, int bias, int standardBias, int daylightBias) {
    fixture.timeZoneQuery.reading = TimeZoneReading{period, bias, standardBias, daylightBias, ""};
  }
  const std::vector<SystemTimeRecord>& Records() const { return fixture.clockSetter.records; }

  ServiceFixture fixture;
};

// The example page read one hour east of UTC, by way of either period's bias.
TEST_F(TimeSyncTest, SetsTheClockToThePageTimeInLocalTime) {
  struct Case {
    const char* name;
    TimeZoneReading::Period period;
    int bias, standardBias, daylightBias;
  };
  for (const Case& c : {Case{"standard time", Period::Standard, -60, 0, -60},
                        Case{"daylight time", Period::Daylight, 0, 0, -60}}) {
    SCOPED_TRACE(c.name);
    ServiceFixture local;
    local.clock.SetNow({2026, 12, 8, 10, 0, 0, 0});
    local.timePageFetcher.Serve(kExamplePage);
    local.timeZoneQuery.reading = TimeZoneReading{c.period, c.bias, c.standardBias, c.daylightBias, ""};
    THourwarden& service = local.Build();
    service.DebugLines.Clear();

    EXPECT_TRUE(SyncInternetTime(service));
    EXPECT_THAT(local.clockSetter.records, ElementsAre(SystemTimeRecord{2026, 12, 2, 8, 4, 34, 30, 0}));
    EXPECT_THAT(local.BufferedMessages(), ElementsAre("Updating date and time. Internet time=08.12.2026 04:34:30"));
  }
}

TEST_F(TimeSyncTest, LeavesAClockThatAgreesAlone) {
  fixture.clock.SetNow({2026, 12, 8, 4, 34, 30, 0});
  fixture.timePageFetcher.Serve(kExamplePage);
  THourwarden& service = Build(4);
  EXPECT_TRUE(SyncInternetTime(service));
  EXPECT_TRUE(Records().empty());
  EXPECT_TRUE(fixture.BufferedMessages().empty());
}

TEST_F(TimeSyncTest, SetsTheNextLocalDayWhenUtcIsStillTheDayBefore) {
  fixture.clock.SetNow({2027, 1, 1, 0, 10, 0, 0});
  fixture.timePageFetcher.Serve("<PRE>\n<BR>Dec. 31, 23:30:00 UTC");
  THourwarden& service = Build();
  EXPECT_TRUE(SyncInternetTime(service));
  EXPECT_THAT(Records(), ElementsAre(SystemTimeRecord{2027, 1, 5, 1, 0, 30, 0, 0}));
}

TEST_F(TimeSyncTest, TakesTheDateHeaderWhenThereIsNoPage) {
  const std::string header = "Tue, 08 Dec 2026 17:18:19 GMT";
  struct Case {
    const char* name;
    std::string body;
  };
  for (const Case& c : {Case{"no marker", kNoPage}, Case{"no zone label", "<PRE>\n<BR>Dec. 08, 03:34:30"},
                        Case{"too few values", "<PRE>\n<BR>Dec. 08 UTC"}, Case{"empty body", ""}}) {
    SCOPED_TRACE(c.name);
    ServiceFixture local;
    local.clock.SetNow({2025, 1, 2, 10, 0, 0, 0});  // wrong by a year: the header carries its own
    local.timePageFetcher.Serve(c.body, header);
    THourwarden& service = local.Build();
    EXPECT_TRUE(SyncInternetTime(service));
    EXPECT_THAT(local.clockSetter.records, ElementsAre(SystemTimeRecord{2026, 12, 2, 8, 18, 18, 19, 0}));
  }
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
      {"invalid page date", "<PRE>\n<BR>Feb. 29, 03:34:30 UTC", "Tue, 08 Dec 2026 17:18:19 GMT"},
      {"nine-letter month", "<PRE>\n<BR>September 08, 03:34:30 UTC", "Tue, 08 Dec 2026 17:18:19 GMT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ServiceFixture local;
    local.timePageFetcher.Serve(c.body, c.header);
    THourwarden& service = local.Build();
    service.DebugLines.Clear();
    EXPECT_FALSE(SyncInternetTime(service));
    EXPECT_TRUE(local.clockSetter.records.empty());
    EXPECT_TRUE(local.BufferedMessages().empty());
  }
}

TEST_F(TimeSyncTest, FailedFetchesLogAtTheirLevels) {
  struct Case {
    const char* name;
    TimePageResponse::Outcome outcome;
    const char* failure;
    int quietLevel;  // the highest debug level that produces no message
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"no internet handle", TimePageResponse::Outcome::NoInternetHandle, "InternetOpenA failed with error 2: x", 0,
       {"ERROR:Internet connection not set", "InternetOpenA failed with error 2: x"}},
      {"site not reached", TimePageResponse::Outcome::NotReached, "InternetOpenUrlA failed with error 12029: ", 1,
       {"ERROR:Not possible to connect to time site", "InternetOpenUrlA failed with error 12029: "}},
      {"read failed", TimePageResponse::Outcome::ReadFailed, "InternetReadFile failed with error 12002: ", 4, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int level : {c.quietLevel, c.quietLevel + 1}) {
      ServiceFixture local;
      local.timePageFetcher.Fail(c.outcome, c.failure);
      THourwarden& service = local.Build();
      service.DebugLines.Clear();
      service.DebugLevel = level;
      EXPECT_FALSE(SyncInternetTime(service));
      EXPECT_TRUE(local.clockSetter.records.empty());
      const bool quiet = level == c.quietLevel || c.messages.empty();
      EXPECT_EQ(local.BufferedMessages(), quiet ? std::vector<std::string>{} : c.messages) << "level " << level;
    }
  }
}

TEST_F(TimeSyncTest, AFailedZoneQueryLeavesTheClock) {
  fixture.timePageFetcher.Serve(kExamplePage);
  fixture.timeZoneQuery.reading = TimeZoneReading{Period::Failed, 0, 0, 0, "GetTimeZoneInformation failed with error 5: "};
  THourwarden& service = Build();
  EXPECT_FALSE(SyncInternetTime(service));
  EXPECT_TRUE(Records().empty());
  EXPECT_THAT(fixture.BufferedMessages(),
              ElementsAre("ERROR:Not possible to read time zone", "GetTimeZoneInformation failed with error 5: "));
}

TEST_F(TimeSyncTest, AZoneWithoutDaylightSavingUsesItsBias) {
  fixture.timePageFetcher.Serve("<PRE>\n<BR>Dec. 08, 22:45:00 UTC");
  SetZone(Period::Unknown, -330, 0, -60);
  THourwarden& service = Build();
  EXPECT_TRUE(SyncInternetTime(service));
  EXPECT_THAT(Records(), ElementsAre(SystemTimeRecord{2026, 12, 3, 9, 4, 15, 0, 0}));
}

TEST_F(TimeSyncTest, AClockThatCannotBeSetStaysUnconfirmed) {
  fixture.timePageFetcher.Serve(kExamplePage);
  fixture.clockSetter.failure = "SetLocalTime failed with error 1314: ";
  THourwarden& service = Build();
  EXPECT_FALSE(SyncInternetTime(service));
  EXPECT_THAT(fixture.BufferedMessages(),
              ElementsAre("Updating date and time. Internet time=08.12.2026 04:34:30",
                          "ERROR:Not possible to set date and time", "SetLocalTime failed with error 1314: "));
}

TEST_F(TimeSyncTest, UpdateMessageNeedsLevelTwo) {
  fixture.timePageFetcher.Serve(kExamplePage);
  THourwarden& service = Build(1);
  EXPECT_TRUE(SyncInternetTime(service));
  EXPECT_EQ(Records().size(), 1u);
  EXPECT_TRUE(fixture.BufferedMessages().empty());
}

TEST_F(TimeSyncTest, TheServiceStepsRunTheSynchronisation) {
  fixture.timePageFetcher.Serve(kExamplePage);
  THourwarden& service = Build();
  EXPECT_TRUE(ServiceCycleSteps().syncInternetTime(service));
  EXPECT_EQ(Records().size(), 1u);
}

// The URL comes from the TimeUrl value on every call, through a read-only access that is closed
// before the fetch starts.
TEST_F(TimeSyncTest, ReadsTheUrlFromTimeUrlEveryCall) {
  InMemoryRegistry& registry = fixture.registry;
  fixture.timePageFetcher.Serve(kNoPage);
  int keysOpenDuringFetch = -1;
  fixture.timePageFetcher.onFetch = [&] { keysOpenDuringFetch = registry.OpenKeyCountForTesting(); };
  THourwarden& service = Build();

  registry.SetStringForTesting(kProductKey, "TimeUrl", "http://127.0.0.1:8080/cgi-bin/timer.pl");
  SyncInternetTime(service);
  EXPECT_EQ(keysOpenDuringFetch, 0);
  registry.SetStringForTesting(kProductKey, "TimeUrl", "");
  SyncInternetTime(service);
  registry.DeleteKeyForTesting(kProductKey);
  registry.CreateKeyForTesting(kProductKey);
  SyncInternetTime(service);
  registry.DeleteKeyForTesting(kProductKey);
  SyncInternetTime(service);
  EXPECT_THAT(fixture.timePageFetcher.urls,
              ElementsAre("http://127.0.0.1:8080/cgi-bin/timer.pl", kDefaultTimeUrl, kDefaultTimeUrl, kDefaultTimeUrl));
  EXPECT_EQ(registry.OpenKeyCountForTesting(), 0);
  EXPECT_FALSE(registry.KeyExistsForTesting(kProductKey));  // the read creates nothing
}

TEST_F(TimeSyncTest, ANumericTimeUrlIsReportedAndTakenAsMissing) {
  fixture.registry.SetIntegerForTesting(kProductKey, "TimeUrl", 5);
  fixture.timePageFetcher.Serve(kExamplePage);
  THourwarden& service = Build(1);
  SyncInternetTime(service);
  EXPECT_THAT(fixture.timePageFetcher.urls, ElementsAre(kDefaultTimeUrl));
  EXPECT_EQ(fixture.registry.OpenKeyCountForTesting(), 0);
  ASSERT_FALSE(fixture.BufferedMessages().empty());
  EXPECT_THAT(fixture.BufferedMessages()[0], StartsWith("ERROR: Registry value \"TimeUrl\""));
  EXPECT_THAT(fixture.BufferedMessages()[0], HasSubstr("taken as absent"));
}

TEST_F(TimeSyncTest, WithoutARegistryTheDefaultUrlIsUsed) {
  fixture.platform.openRegistry = nullptr;
  THourwarden& service = Build();
  SyncInternetTime(service);
  EXPECT_THAT(fixture.timePageFetcher.urls, ElementsAre(kDefaultTimeUrl));
}

}  // namespace
