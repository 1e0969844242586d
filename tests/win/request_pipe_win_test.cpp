#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "parentcode/pipe_client_win.h"
#include "platform/random_source_win.h"
#include "service/request_pipe_win.h"

namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

constexpr char kPipe[] = "\\\\.\\pipe\\HourwardenTest";

std::string ThisAccount() {
  char name[257];
  DWORD size = sizeof name;
  return GetUserNameA(name, &size) ? name : "";
}

DWORD ThisSession() {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return session;
}

// The service as this test process, running as LocalSystem: the pipe's server is the service.
class ThisProcessAsService : public InstalledServiceSource {
 public:
  InstalledService Read(const std::string&) const override {
    InstalledService service;
    service.presence = InstalledService::Presence::kInstalled;
    service.account = "LocalSystem";
    service.state = kRunningServiceState;
    service.processId = processId;
    return service;
  }
  uint32_t processId = GetCurrentProcessId();
};

// A pipe server on a test name with short waits, recording what reaches the service's side.
class RequestPipeTest : public ::testing::Test {
 protected:
  std::unique_ptr<RequestPipeServer> Serve() {
    return std::make_unique<RequestPipeServer>(
        kPipe,
        [this](const ClientRequest& request) {
          std::lock_guard lock(mutex);
          seen.push_back(std::to_string(static_cast<int>(request.outcome)) + "|" + request.account + "|" + request.text);
          return std::string(request.outcome == ClientRequest::Outcome::kRequest ? "added 30\n" : "refused\n");
        },
        [this](const std::string& failure) {
          std::lock_guard lock(mutex);
          failures.push_back(failure);
        },
        RequestPipeTimings{400, 2000, 60000});
  }
  std::vector<std::string> Seen() {
    std::lock_guard lock(mutex);
    return seen;
  }
  RequestClient::Reply Ask(const std::string& request) {
    return PipeRequestClient(kPipe, "Hourwarden", services, ThisSession()).Ask(request);
  }
  // The answer, or the failure marked as such.
  std::string AnswerTo(const std::string& request) {
    const RequestClient::Reply reply = Ask(request);
    return reply ? reply.Value() : "failed: " + reply.Failure();
  }
  // A client that connects and says nothing until it is closed.
  static HANDLE Squat() {
    return CreateFileA(kPipe, GENERIC_READ | FILE_WRITE_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  }

  ThisProcessAsService services;
  std::mutex mutex;
  std::vector<std::string> seen;
  std::vector<std::string> failures;
};

TEST_F(RequestPipeTest, AnswersEachRequestWithTheAccountOfTheClientsToken) {
  const auto server = Serve();
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(AnswerTo("more-time code=123456\n"), "added 30\n");
  }
  EXPECT_EQ(Seen(), std::vector<std::string>(2, "0|" + ThisAccount() + "|more-time code=123456\n"));
}

TEST_F(RequestPipeTest, NeverServesAPipeAnotherProgramMadeFirstNorSendsToOne) {
  const auto first = Serve();
  const auto second = Serve();
  EXPECT_THAT(failures, Contains(HasSubstr("CreateNamedPipeA failed with error")));
  EXPECT_EQ(AnswerTo("status"), "added 30\n");
  services.processId = GetCurrentProcessId() + 4;  // the service runs elsewhere: this process squats
  const RequestClient::Reply reply = Ask("more-time code=123456");
  EXPECT_TRUE(NotTheService(reply));
  EXPECT_THAT(reply.Failure(), HasSubstr("not by the service"));
  EXPECT_EQ(Seen().size(), 1u) << "the code never reached the squatting server";
}

TEST_F(RequestPipeTest, SilentClientsOnEveryOtherInstanceKeepNobodyOut) {
  const auto server = Serve();
  std::vector<HANDLE> squatters;
  for (DWORD i = 0; i + 1 < kRequestPipeInstances; ++i) squatters.push_back(Squat());
  for (HANDLE squatter : squatters) ASSERT_NE(squatter, INVALID_HANDLE_VALUE);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(AnswerTo("status"), "added 30\n");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  EXPECT_THAT(Seen(), Contains("2||")) << "the silent ones are dropped and told to the handler";
  for (HANDLE squatter : squatters) CloseHandle(squatter);
}

TEST_F(RequestPipeTest, ALongRequestIsReadToItsEndAndRefusedEveryTime) {
  const auto server = Serve();
  for (const size_t length : {258u, 300u, 5000u, 20000u}) {
    EXPECT_EQ(AnswerTo(std::string(length, 'x')), "refused\n") << length << " bytes";
  }
  EXPECT_THAT(Seen(), Contains("1||"));
  EXPECT_EQ(AnswerTo("status"), "added 30\n");
}

TEST_F(RequestPipeTest, StopsAndJoinsWhileWaitingForAClient) {
  auto server = Serve();
  const auto start = std::chrono::steady_clock::now();
  server.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_THAT(AnswerTo("status"), HasSubstr("failed: CreateFileA failed with error 2"));
}

TEST(CngRandomSourceTest, FillsEveryByteAnew) {
  std::string first(20, '\0'), second(20, '\0');
  CngRandomSource random;
  EXPECT_TRUE(random.Fill(first));
  EXPECT_TRUE(random.Fill(second));
  EXPECT_NE(first, second);
  EXPECT_NE(first, std::string(20, '\0'));
}

}  // namespace
