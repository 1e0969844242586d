// The https:// time check against loopback TLS sites whose certificates come from a test CA
// that the Wine prefix trusts. tests/e2e/time_check_e2e_test.sh makes the certificates, serves
// the sites, trusts the CA and runs these tests with the sites' addresses in the environment;
// without them (in the plain unit run) they are skipped.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "timesync/time_sync_win.h"

namespace {

using testing::HasSubstr;

// The environment variable's text, or a skip of the test when it is not set.
#define REQUIRE_SITE(variable, name)                                      \
  const char* variable##Text = std::getenv(name);                        \
  if (variable##Text == nullptr) GTEST_SKIP() << name << " is not set"; \
  const std::string variable(variable##Text)

// The request lines the plain HTTP site received.
std::string PlainRequests() {
  const char* log = std::getenv("HOURWARDEN_TEST_PLAIN_LOG");
  if (log == nullptr) return "(no log)";
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The failure of a refused certificate. Windows reports ERROR_WINHTTP_SECURE_FAILURE (12175), and
// what is wrong in the notice before it; Wine reports ERROR_WINHTTP_SECURE_CHANNEL_ERROR (12157)
// without that notice.
testing::Matcher<std::string> RefusedCertificate(const std::string& problem) {
  return testing::AnyOf(
      testing::AllOf(HasSubstr("WinHttpSendRequest failed with error 12175"),
                     HasSubstr("(the site's certificate: " + problem + ")")),
      testing::StartsWith("WinHttpSendRequest failed with error 12157"));
}

TEST(HttpsTimePageFetchTest, TakesTheAnswerOfASiteWhoseCertificateIsTrusted) {
  REQUIRE_SITE(url, "HOURWARDEN_TEST_HTTPS_TRUSTED");
  const TimePageFetch responseFetch = WinHttpTimePageFetcher().Fetch(url + "/");
  ASSERT_TRUE(responseFetch.page.Ok()) << responseFetch.page.Failure();
  const TimePage& response = responseFetch.page.Value();
  EXPECT_EQ(response.statusCode, 200);
  EXPECT_THAT(response.dateHeader, HasSubstr(" GMT"));
  EXPECT_EQ(response.body, "Hourwarden test site\n");
}

// The clock may be wrong, which is why it is checked: a certificate out of its dates still counts.
TEST(HttpsTimePageFetchTest, TakesACertificateOutOfItsDates) {
  REQUIRE_SITE(url, "HOURWARDEN_TEST_HTTPS_EXPIRED");
  const TimePageFetch responseFetch = WinHttpTimePageFetcher().Fetch(url + "/");
  ASSERT_TRUE(responseFetch.page.Ok()) << responseFetch.page.Failure();
  const TimePage& response = responseFetch.page.Value();
  EXPECT_EQ(response.statusCode, 200);
}

// A network that answers for the host itself has no certificate the machine trusts for it.
TEST(HttpsTimePageFetchTest, RefusesACertificateOfAnIssuerNotTrusted) {
  REQUIRE_SITE(url, "HOURWARDEN_TEST_HTTPS_UNTRUSTED");
  const TimePageFetch response = WinHttpTimePageFetcher().Fetch(url + "/");
  ASSERT_FALSE(response.page.Ok());
  EXPECT_EQ(response.failedAt, TimePageFailure::kNotReached);
  EXPECT_THAT(response.page.Failure(), RefusedCertificate("its issuer is not trusted"));
}

TEST(HttpsTimePageFetchTest, RefusesACertificateForAnotherHost) {
  REQUIRE_SITE(url, "HOURWARDEN_TEST_HTTPS_OTHER_HOST");
  const TimePageFetch response = WinHttpTimePageFetcher().Fetch(url + "/");
  ASSERT_FALSE(response.page.Ok());
  EXPECT_EQ(response.failedAt, TimePageFailure::kNotReached);
  EXPECT_THAT(response.page.Failure(), RefusedCertificate("it names another host"));
}

// An https:// address never ends at plain HTTP: not when the port speaks only HTTP, not when the
// site redirects there.
TEST(HttpsTimePageFetchTest, NeverFallsBackToPlainHttp) {
  REQUIRE_SITE(plain, "HOURWARDEN_TEST_PLAIN_PORT");
  REQUIRE_SITE(trusted, "HOURWARDEN_TEST_HTTPS_TRUSTED");
  // The plain site records what it is asked: one request of its own first, to show it does.
  ASSERT_TRUE(WinHttpTimePageFetcher().Fetch("http://127.0.0.1:" + plain + "/asked").page.Ok());
  const TimePageFetch tlsToPlain = WinHttpTimePageFetcher().Fetch("https://127.0.0.1:" + plain + "/");
  ASSERT_FALSE(tlsToPlain.page.Ok());
  EXPECT_EQ(tlsToPlain.failedAt, TimePageFailure::kNotReached);
  const TimePageFetch redirectedFetch = WinHttpTimePageFetcher().Fetch(trusted + "/redirect");
  ASSERT_TRUE(redirectedFetch.page.Ok()) << redirectedFetch.page.Failure();
  const TimePage& redirected = redirectedFetch.page.Value();
  EXPECT_EQ(redirected.statusCode, 302);
  EXPECT_EQ(PlainRequests(), "GET /asked HTTP/1.1\n");
}

}  // namespace
