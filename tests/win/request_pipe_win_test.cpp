#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "platform/random_source_win.h"
#include "service/request_pipe_win.h"
#include "session/more_time_client_win.h"

namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

constexpr char kPipe[] = "\\\\.\\pipe\\HourwardenTest";

std::string ThisAccount() {
  char name[257];
  DWORD size = sizeof name;
  return GetUserNameA(name, &size) ? name : "";
}

// A pipe server on a test name with short waits, recording what reaches the service's side.
class RequestPipeTest : public ::testing::Test {
 protected:
  std::unique_ptr<RequestPipeServer> Serve(const char* name = kPipe) {
    return std::make_unique<RequestPipeServer>(
        name,
        [this](const std::string& account, const std::string& request) {
          std::lock_guard lock(mutex);
          requests.push_back(account + "|" + request);
          return std::string("added 30\n");
        },
        [this](const std::string& failure) {
          std::lock_guard lock(mutex);
          failures.push_back(failure);
        },
        RequestPipeTimings{300, 2000, 60000});
  }
  std::vector<std::string> Failures() {
    std::lock_guard lock(mutex);
    return failures;
  }

  std::mutex mutex;
  std::vector<std::string> requests;
  std::vector<std::string> failures;
};

TEST_F(RequestPipeTest, AnswersEachRequestWithTheAccountOfTheClientsToken) {
  const auto server = Serve();
  PipeMoreTimeClient client(kPipe);
  for (int i = 0; i < 2; ++i) {
    const MoreTimeClient::Reply reply = client.Ask("more-time code=123456 minutes=30\n");
    EXPECT_EQ(reply.answer, "added 30\n") << reply.failure;
  }
  EXPECT_EQ(requests, std::vector<std::string>(2, ThisAccount() + "|more-time code=123456 minutes=30\n"));
}

TEST_F(RequestPipeTest, NeverServesAPipeAnotherProgramMadeFirst) {
  const auto first = Serve();
  const auto second = Serve();
  EXPECT_THAT(Failures(), Contains(HasSubstr("CreateNamedPipeA failed with error")));
  EXPECT_EQ(PipeMoreTimeClient(kPipe).Ask("more-time code=123456 minutes=30").answer, "added 30\n");
}

TEST_F(RequestPipeTest, DropsASilentClientAndRefusesALongRequestUnanswered) {
  const auto server = Serve();
  HANDLE silent = CreateFileA(kPipe, GENERIC_READ | FILE_WRITE_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(silent, INVALID_HANDLE_VALUE);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  EXPECT_THAT(Failures(), Contains(HasSubstr("sent nothing within 0 s and was dropped")));
  CloseHandle(silent);

  EXPECT_EQ(PipeMoreTimeClient(kPipe).Ask(std::string(300, 'x')).answer, "refused\n");
  EXPECT_THAT(Failures(), Contains(HasSubstr("A request of more than 256 bytes")));
  EXPECT_TRUE(requests.empty());
  EXPECT_EQ(PipeMoreTimeClient(kPipe).Ask("more-time code=123456 minutes=30").answer, "added 30\n");
}

TEST_F(RequestPipeTest, StopsAndJoinsWhileWaitingForAClient) {
  auto server = Serve();
  const auto start = std::chrono::steady_clock::now();
  server.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  const MoreTimeClient::Reply reply = PipeMoreTimeClient(kPipe).Ask("more-time code=123456 minutes=30");
  EXPECT_FALSE(reply.answer);
  EXPECT_THAT(reply.failure, HasSubstr("CreateFileA failed with error 2"));
}

TEST(CngRandomSourceTest, FillsEveryByteAnew) {
  std::string first(20, '\0'), second(20, '\0');
  CngRandomSource random;
  EXPECT_FALSE(random.Fill(first));
  EXPECT_FALSE(random.Fill(second));
  EXPECT_NE(first, second);
  EXPECT_NE(first, std::string(20, '\0'));
}

}  // namespace
