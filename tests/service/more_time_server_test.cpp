#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "fakes/service_fixture.h"
#include "service/hourwarden.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

// The service's way in for requests of more time, on the recorded cycle steps: when it is made,
// when it is ended, and that its requests wait for the handler lock.
class MoreTimeServerTest : public ::testing::Test {
 protected:
  MoreTimeServerTest() : service(fixture.Build()) {
    service.SetCycleStepsForTesting(steps.Steps());
    steps.syncResults = {true};
  }
  void Start() {
    bool started = true;
    service.ServiceStart(started);
  }
  std::string Ask() { return fixture.requestServers.Live()->Ask("alice", "more-time code=123456"); }

  ServiceFixture fixture;
  StepRecorder steps;
  THourwarden& service;
};

TEST_F(MoreTimeServerTest, IsMadeBeforeTheFirstEvaluationAndEndedByAStop) {
  CycleSteps watching = steps.Steps();
  bool servedAtEvaluation = false;
  watching.evaluateRestrictions = [&](ServiceState&) { servedAtEvaluation = fixture.requestServers.Live() != nullptr; };
  service.SetCycleStepsForTesting(watching);
  Start();
  EXPECT_TRUE(servedAtEvaluation);
  EXPECT_EQ(fixture.requestServers.started, 1);
  bool stopped = true;
  service.ServiceStop(stopped);
  EXPECT_EQ(fixture.requestServers.Live(), nullptr);
  EXPECT_EQ(fixture.requestServers.stopped, 1);
  EXPECT_EQ(service.AnswerPipeClient({ClientRequest::Outcome::kRequest, "alice", {}, "more-time code=123456", {}}),
            "unavailable\n")
      << "a request that got through before the end finds the service stopped";
}

TEST_F(MoreTimeServerTest, AShutdownAndTheDestructionEndItToo) {
  Start();
  service.ServiceShutdown();
  EXPECT_EQ(fixture.requestServers.Live(), nullptr);
  Start();
  EXPECT_EQ(fixture.requestServers.started, 2);
  fixture.Destroy();
  EXPECT_EQ(fixture.requestServers.Live(), nullptr);
  EXPECT_EQ(fixture.requestServers.stopped, 2);
}

TEST_F(MoreTimeServerTest, AFailedStopServesAgain) {
  Start();
  CycleSteps failing = steps.Steps();
  failing.writeSpentTimes = [](ServiceState&) { throw std::runtime_error("registry refused"); };
  service.SetCycleStepsForTesting(failing);
  bool stopped = true;
  EXPECT_THROW(service.ServiceStop(stopped), std::runtime_error);
  ASSERT_NE(fixture.requestServers.Live(), nullptr);
  EXPECT_EQ(fixture.requestServers.started, 2);
}

TEST_F(MoreTimeServerTest, AServerFailureIsSaidAtLevelOne) {
  fixture.requestServers.failure = "CreateNamedPipeA failed with error 5: Access is denied.";
  service.DebugLevel = 1;
  Start();
  EXPECT_THAT(fixture.BufferedMessages(), Contains("ERROR: CreateNamedPipeA failed with error 5: Access is denied."));
}

// A request from the server's thread waits until the tick under way has ended.
TEST_F(MoreTimeServerTest, ARequestNeverInterleavesWithATick) {
  Start();
  CycleSteps slow = steps.Steps();
  std::future<std::string> answer;
  bool answeredDuringTick = true;
  slow.updateProcessList = [&](ServiceState&) {
    answer = std::async(std::launch::async, [&] { return Ask(); });
    answeredDuringTick = answer.wait_for(std::chrono::milliseconds(200)) == std::future_status::ready;
  };
  service.SetCycleStepsForTesting(slow);
  service.Timer1Timer();
  EXPECT_FALSE(answeredDuringTick);
  EXPECT_EQ(answer.get(), "not-restricted\n");
}

}  // namespace
