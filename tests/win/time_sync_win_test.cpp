#include "fakes/loopback_http_server_win.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "fakes/service_fixture.h"
#include "platform/date_time.h"
#include "timesync/time_page.h"
#include "timesync/time_sync.h"
#include "timesync/time_sync_win.h"
#include "timesync/zone_time.h"

namespace {

using testing::ElementsAre;
using testing::HasSubstr;

const std::string kTimerPage = "<HTML>\n<TITLE>What time is it?</TITLE>\n<BODY>\n<PRE>\n<BR>Dec. 08, 03:34:30 UTC\t\tUniversal Time\n</PRE></BODY></HTML>\n";

// The service on the real WinINet fetch, with TimeUrl pointing at the loopback server, a zone one
// hour east of UTC in standard time, a local clock at 10:00 on 8 December 2026 and the clock
// setter that only records.
class WindowsTimeSyncTest : public testing::Test {
 protected:
  THourwarden& Build(const std::string& url) {
    fixture.registry.SetStringForTesting(kProductKey, "TimeUrl", url);
    fixture.platform.timePageFetcher = &fetcher;
    fixture.clock.SetNow({2026, 12, 8, 10, 0, 0, 0});
    THourwarden& service = fixture.Build();
    service.DebugLines.Clear();
    return service;
  }

  ServiceFixture fixture;
  WinInetTimePageFetcher fetcher;
};

TEST_F(WindowsTimeSyncTest, SetsTheClockFromTheTimePage) {
  // The Date header shows another time, so the record shows which source was used.
  LoopbackHttpServer server(
      LoopbackHttpServer::Response("200 OK", "Date: Tue, 08 Dec 2026 17:18:19 GMT\r\n", kTimerPage));
  ASSERT_NE(server.Port(), 0);
  THourwarden& service = Build(server.Url("/cgi-bin/timer.pl"));

  EXPECT_TRUE(SyncInternetTime(service));
  EXPECT_THAT(fixture.clockSetter.records, ElementsAre(SystemTimeRecord{2026, 12, 2, 8, 4, 34, 30, 0}));
  const std::string request = server.Request();
  EXPECT_THAT(request, testing::StartsWith("GET /cgi-bin/timer.pl HTTP/1.1\r\n"));
  EXPECT_THAT(request, HasSubstr("User-Agent: Tickfetcher\r\n"));
}

TEST_F(WindowsTimeSyncTest, SetsTheClockFromTheDateHeaderOfAnyResponse) {
  LoopbackHttpServer server(LoopbackHttpServer::Response("404 Not Found", "Date: Tue, 08 Dec 2026 17:18:19 GMT\r\n",
                                                         "<HTML><BODY>Not Found</BODY></HTML>"));
  ASSERT_NE(server.Port(), 0);
  THourwarden& service = Build(server.Url("/cgi-bin/timer.pl"));

  EXPECT_TRUE(SyncInternetTime(service));
  EXPECT_THAT(fixture.clockSetter.records, ElementsAre(SystemTimeRecord{2026, 12, 2, 8, 18, 18, 19, 0}));
}

TEST_F(WindowsTimeSyncTest, ASiteThatIsNotThereIsLoggedWithTheCall) {
  int port = 0;
  {
    LoopbackHttpServer closed(LoopbackHttpServer::Response("200 OK", "", ""));
    port = closed.Port();
  }  // nothing listens at the port any more
  THourwarden& service = Build("http://127.0.0.1:" + std::to_string(port) + "/cgi-bin/timer.pl");

  EXPECT_FALSE(SyncInternetTime(service));
  EXPECT_TRUE(fixture.clockSetter.records.empty());
  const std::vector<std::string> messages = fixture.BufferedMessages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "ERROR:Not possible to connect to time site");
  EXPECT_THAT(messages[1], testing::StartsWith("InternetOpenUrlA failed with error "));
}

// Only the first read is examined: it returns at most 1024 bytes of a longer page.
TEST(WinInetTimePageFetcherTest, ReadsOnceAndKeepsTheDateHeader) {
  const std::string body = "<PRE>\n<BR>Dec. 08, 03:34:30 " + std::string(3000, 'x') + " UTC";
  LoopbackHttpServer server(LoopbackHttpServer::Response("200 OK", "", body));
  ASSERT_NE(server.Port(), 0);
  // The server sends no Date header of its own here.
  const TimePageResponse response = WinInetTimePageFetcher().Fetch(server.Url("/cgi-bin/timer.pl"));
  ASSERT_EQ(response.outcome, TimePageResponse::Outcome::Read) << response.failure;
  EXPECT_GT(response.body.size(), 0u);
  EXPECT_LE(response.body.size(), kTimePageReadSize);
  EXPECT_EQ(body.compare(0, response.body.size(), response.body), 0);
  EXPECT_TRUE(response.dateHeader.empty());
  EXPECT_FALSE(ScanTimePage(response.body).has_value());
}

TEST(WinInetTimePageFetcherTest, ReturnsTheDateHeaderAsSent) {
  LoopbackHttpServer server(LoopbackHttpServer::Response("302 Found", "Date: Wed, 31 Dec 2025 23:59:59 GMT\r\n", ""));
  ASSERT_NE(server.Port(), 0);
  const TimePageResponse response = WinInetTimePageFetcher().Fetch(server.Url("/"));
  ASSERT_EQ(response.outcome, TimePageResponse::Outcome::Read) << response.failure;
  EXPECT_EQ(response.dateHeader, "Wed, 31 Dec 2025 23:59:59 GMT");
}

// The offset computed from the zone reading agrees with the system's own conversion of UTC.
TEST(WindowsTimeZoneQueryTest, OffsetMatchesTheSystemClocks) {
  const TimeZoneReading reading = WindowsTimeZoneQuery().Read();
  const auto offset = ZoneOffsetMinutes(reading);
  ASSERT_TRUE(offset.has_value()) << reading.failure;
  // Both clocks read within one minute of the local clock, so a minute boundary cannot fall between.
  SYSTEMTIME before, utc, local;
  for (int attempt = 0; attempt < 3; ++attempt) {
    GetLocalTime(&before);
    GetSystemTime(&utc);
    GetLocalTime(&local);
    if (before.wMinute == local.wMinute) break;
  }
  const double difference =
      EncodeDateTime({local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, 0, 0}) -
      EncodeDateTime({utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, 0, 0});
  EXPECT_EQ(*offset, std::llround(difference * 1440));
}

}  // namespace
