#include "fakes/loopback_http_server_win.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "fakes/service_fixture.h"
#include "base/date_time.h"
#include "timesync/time_page.h"
#include "timesync/time_sync.h"
#include "timesync/time_sync_win.h"

namespace {

using testing::ElementsAre;
using testing::HasSubstr;

const std::string kTimerPage = "<HTML>\n<TITLE>What time is it?</TITLE>\n<BODY>\n<PRE>\n<BR>Dec. 08, 03:34:30 UTC\t\tUniversal Time\n</PRE></BODY></HTML>\n";

// The service on the real WinHTTP fetch, with TimeUrl pointing at the loopback server, a local
// clock at 10:00 on 8 December 2026 one hour east of UTC and the clock setter that only records.
class WindowsTimeSyncTest : public testing::Test {
 protected:
  THourwarden& Build(const std::string& url) {
    fixture.registry.SetStringForTesting(kProductKey, "TimeUrl", url);
    // The answers dated by the fixture's clock, which outlives the fetches.
    fixture.platform.timePageFetcher = std::make_shared<WinHttpTimePageFetcher>(
        kTimePageDeadlineMs, kTimePageTimeoutMs, std::shared_ptr<const Clock>(std::shared_ptr<Clock>(), &fixture.clock));
    fixture.clock.SetNow({2026, 12, 8, 10, 0, 0, 0});
    THourwarden& service = fixture.Build();
    service.DebugLines.Clear();
    return service;
  }

  ServiceFixture fixture;
};

TEST_F(WindowsTimeSyncTest, SetsTheClockFromTheTimePage) {
  // The Date header shows another time, so the record shows which source was used.
  LoopbackHttpServer server(
      LoopbackHttpServer::Response("200 OK", "Date: Tue, 08 Dec 2026 17:18:19 GMT\r\n", kTimerPage));
  ASSERT_NE(server.Port(), 0);
  Build(server.Url("/cgi-bin/timer.pl"));

  EXPECT_TRUE(fixture.CheckTime());
  EXPECT_THAT(fixture.clockSetter.records, ElementsAre(SystemTimeRecord{2026, 12, 2, 8, 3, 34, 30, 0}));
  const std::string request = server.Request();
  EXPECT_THAT(request, testing::StartsWith("GET /cgi-bin/timer.pl HTTP/1.1\r\n"));
  EXPECT_THAT(request, HasSubstr("User-Agent: Tickfetcher\r\n"));
}

TEST_F(WindowsTimeSyncTest, TakesTheDateHeaderOfARedirectionButNotOfAnError) {
  struct Case {
    const char* status;
    bool confirmed;
  };
  for (const Case& c : {Case{"302 Found", true}, Case{"404 Not Found", false}}) {
    SCOPED_TRACE(c.status);
    LoopbackHttpServer server(
        LoopbackHttpServer::Response(c.status, "Date: Tue, 08 Dec 2026 17:18:19 GMT\r\n", "<HTML>elsewhere</HTML>"));
    ASSERT_NE(server.Port(), 0);
    fixture.clockSetter.records.clear();
    Build(server.Url("/cgi-bin/timer.pl"));
    EXPECT_EQ(fixture.CheckTime(), c.confirmed);
    EXPECT_EQ(fixture.clockSetter.records.size(), c.confirmed ? 1u : 0u);
    fixture.Destroy();
  }
}

TEST_F(WindowsTimeSyncTest, ASiteThatIsNotThereIsLoggedWithTheCall) {
  int port = 0;
  {
    LoopbackHttpServer closed(LoopbackHttpServer::Response("200 OK", "", ""));
    port = closed.Port();
  }  // nothing listens at the port any more
  Build("http://127.0.0.1:" + std::to_string(port) + "/cgi-bin/timer.pl");

  EXPECT_FALSE(fixture.CheckTime());
  EXPECT_TRUE(fixture.clockSetter.records.empty());
  const std::vector<std::string> messages = fixture.BufferedMessages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "ERROR:Not possible to connect to time site");
  EXPECT_THAT(messages[1], testing::StartsWith("WinHttpSendRequest failed with error 12029: "));
  EXPECT_THAT(messages[1], testing::EndsWith(" (http://127.0.0.1:" + std::to_string(port) + "/cgi-bin/timer.pl)"));
}

// Only the first read is examined: it returns at most 1024 bytes of a longer page.
TEST(WinHttpTimePageFetcherTest, ReadsOnceAndKeepsTheDateHeader) {
  const std::string body = "<PRE>\n<BR>Dec. 08, 03:34:30 " + std::string(3000, 'x') + " UTC";
  LoopbackHttpServer server(LoopbackHttpServer::Response("200 OK", "", body));
  ASSERT_NE(server.Port(), 0);
  // The server sends no Date header of its own here.
  const TimePageFetch responseFetch = WinHttpTimePageFetcher().Fetch(server.Url("/cgi-bin/timer.pl"));
  ASSERT_TRUE(responseFetch.page.Ok()) << responseFetch.page.Failure();
  const TimePage& response = responseFetch.page.Value();
  EXPECT_EQ(response.statusCode, 200);
  EXPECT_GT(response.body.size(), 0u);
  EXPECT_LE(response.body.size(), kTimePageReadSize);
  EXPECT_EQ(body.compare(0, response.body.size(), response.body), 0);
  EXPECT_TRUE(response.dateHeader.empty());
  EXPECT_FALSE(ScanTimePage(response.body).has_value());
}

// A redirection is an answer of its own: it is never followed (the Location names a port where
// nothing listens, so following it would fail the fetch).
TEST(WinHttpTimePageFetcherTest, ReturnsARedirectionAsItCame) {
  LoopbackHttpServer server(LoopbackHttpServer::Response(
      "302 Found", "Date: Wed, 31 Dec 2025 23:59:59 GMT\r\nLocation: http://127.0.0.1:1/elsewhere\r\n", ""));
  ASSERT_NE(server.Port(), 0);
  const TimePageFetch responseFetch = WinHttpTimePageFetcher().Fetch(server.Url("/?page=time"));
  ASSERT_TRUE(responseFetch.page.Ok()) << responseFetch.page.Failure();
  const TimePage& response = responseFetch.page.Value();
  EXPECT_EQ(response.statusCode, 302);
  EXPECT_EQ(response.dateHeader, "Wed, 31 Dec 2025 23:59:59 GMT");
  EXPECT_THAT(server.Request(), testing::StartsWith("GET /?page=time HTTP/1.1\r\n"));
}

// A site that takes the connection and never answers, or sends its answer a byte at a time so that
// no step ever waits long, is given up at the deadline of the whole fetch at the latest. (Windows
// gives up on the silent one when its step waits too long, 1 s here, with ERROR_WINHTTP_TIMEOUT;
// Wine's asynchronous send waits for the answer and keeps no step time-out there.)
TEST(WinHttpTimePageFetcherTest, GivesUpOnASiteThatNeverAnswersOrAnswersTooSlowly) {
  const auto deadline =
      testing::EndsWith(" had not completed when the 2 seconds for the site were over, so the request was closed");
  const struct {
    LoopbackHttpServer::Manner manner;
    testing::Matcher<std::string> failure;
    double atLeast;
  } cases[] = {
      {LoopbackHttpServer::kNeverAnswers,
       testing::AnyOf(testing::StartsWith("WinHttpReceiveResponse failed with error 12002: "), deadline), 0.9},
      {LoopbackHttpServer::kTrickles, deadline, 1.9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.atLeast);
    LoopbackHttpServer server(LoopbackHttpServer::Response("200 OK", "", std::string(100, 'x')), c.manner);
    ASSERT_NE(server.Port(), 0);
    const auto start = std::chrono::steady_clock::now();
    const TimePageFetch response = WinHttpTimePageFetcher(2000, 1000).Fetch(server.Url("/"));
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_FALSE(response.page.Ok());
    EXPECT_EQ(response.failedAt, TimePageFailure::kNotReached);
    EXPECT_THAT(response.page.Failure(), c.failure);
    EXPECT_GE(seconds, c.atLeast);
    EXPECT_LT(seconds, 3.0);
  }
}

TEST(WinHttpTimePageFetcherTest, RefusesAnAddressThatIsNotHttp) {
  for (const char* url : {"ftp://127.0.0.1/time", "file:///C:/time.txt", "http://user@127.0.0.1/"}) {
    SCOPED_TRACE(url);
    const TimePageFetch response = WinHttpTimePageFetcher().Fetch(url);
    ASSERT_FALSE(response.page.Ok());
    EXPECT_EQ(response.failedAt, TimePageFailure::kNotReached);
    EXPECT_THAT(response.page.Failure(), testing::StartsWith(std::string("\"") + url + "\" "));
  }
}

}  // namespace
