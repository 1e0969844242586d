#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "fakes/service_fixture.h"
#include "service/hourwarden.h"

namespace {

using ::testing::ElementsAre;

class SchedulerTest : public ::testing::Test {
 protected:
  // A started, synchronised service whose last minute cycle ended at calendar second 1000.
  THourwarden& StartSynchronised() {
    THourwarden& service = fixture.Build();
    service.SetCycleStepsForTesting(steps.Steps());
    steps.syncResults = {true};
    fixture.clock.SetCalendarSeconds(1000);
    bool started = true;
    service.ServiceStart(started);
    steps.calls.clear();
    return service;
  }
  // Runs ticks, each two seconds later than the one before, until a minute cycle has run;
  // returns how many ticks that took.
  int TicksToNextMinuteCycle(THourwarden& service, int limit = 200) {
    const int before = steps.Count("MinuteRefresh");
    for (int tick = 1; tick <= limit; ++tick) {
      fixture.clock.AdvanceSeconds(2);
      service.Timer1Timer();
      if (steps.Count("MinuteRefresh") > before) return tick;
    }
    return -1;
  }
  // Runs one minute cycle at `elapsed` seconds after the last one and returns the new TickCount.
  int32_t MinuteCycleAfter(THourwarden& service, int elapsed) {
    service.TickCount = 29;
    fixture.clock.SetCalendarSeconds(service.LastCycleClock + elapsed);
    service.Timer1Timer();
    EXPECT_EQ(steps.Count("MinuteRefresh"), 1);
    return service.TickCount;
  }
  int Lines(const std::string& message) const {
    const auto messages = fixture.DebugMessages();
    const auto buffered = fixture.BufferedMessages();
    return static_cast<int>(std::count(messages.begin(), messages.end(), message) +
                            std::count(buffered.begin(), buffered.end(), message));
  }

  ServiceFixture fixture;
  StepRecorder steps;
};

TEST_F(SchedulerTest, TheFirstMinuteCycleRunsOnTheThirtiethTickWithCensusEveryTick) {
  THourwarden& service = StartSynchronised();
  EXPECT_EQ(TicksToNextMinuteCycle(service), 30);
  EXPECT_EQ(steps.Count("UpdateProcessList"), 30);
  // The census comes first in every tick; the refresh precedes the evaluation.
  const std::vector<std::string> last(steps.calls.end() - 3, steps.calls.end());
  EXPECT_THAT(last, ElementsAre("UpdateProcessList", "MinuteRefresh", "EvaluateRestrictions"));
}

TEST_F(SchedulerTest, EachSynchronisedTickTakesTheCycleTimeAndFlushes) {
  THourwarden& service = StartSynchronised();
  fixture.clock.SetNow({2026, 12, 13, 20, 0, 0, 0});  // a Sunday
  service.Timer1Timer();
  EXPECT_EQ(service.CycleNow, fixture.clock.Now());
  EXPECT_EQ(service.DayIndex, 6);
  EXPECT_TRUE(service.DebugLines.Empty());
  EXPECT_NE(fixture.DebugLog().find("step UpdateProcessList"), std::string::npos);
}

struct DriftCase {
  int elapsed;
  int32_t tickCount;
  int ticksToNext;
};

class SchedulerDriftTest : public SchedulerTest, public ::testing::WithParamInterface<DriftCase> {};

TEST_P(SchedulerDriftTest, DriftCorrectionCountsTheExcessSecondsAsTicks) {
  const DriftCase& c = GetParam();
  THourwarden& service = StartSynchronised();
  EXPECT_EQ(MinuteCycleAfter(service, c.elapsed), c.tickCount);
  EXPECT_EQ(service.LastCycleClock, service.CycleClock);
  // From here the clock runs on at the nominal pace.
  fixture.clock.SetCalendarSeconds(service.LastCycleClock);
  EXPECT_EQ(TicksToNextMinuteCycle(service), c.ticksToNext);
}

INSTANTIATE_TEST_SUITE_P(ElapsedSeconds, SchedulerDriftTest,
                         ::testing::Values(DriftCase{62, 2, 28}, DriftCase{60, 0, 30}, DriftCase{59, -1, 31},
                                           DriftCase{-3540, -3600, 30}));

TEST_F(SchedulerTest, TheClockSetBackAnHourTriggersTheNextCycleAtMinus3570) {
  THourwarden& service = StartSynchronised();
  MinuteCycleAfter(service, -3540);
  for (int tick = 0; tick < 29; ++tick) service.Timer1Timer();
  EXPECT_EQ(service.TickCount, -3571);
  EXPECT_EQ(steps.Count("MinuteRefresh"), 1);
  service.Timer1Timer();
  EXPECT_EQ(steps.Count("MinuteRefresh"), 2);
}

TEST_F(SchedulerTest, TocksLineOnlyAtLevelFour) {
  THourwarden& service = StartSynchronised();
  MinuteCycleAfter(service, 62);
  EXPECT_EQ(Lines("Tocks synchronization:2"), 0);
  service.DebugLevel = 4;
  steps.calls.clear();
  MinuteCycleAfter(service, 59);
  EXPECT_EQ(Lines("Tocks synchronization:-1"), 1);
}

// Unsynchronised, on the first tick and after each failed check the census says who is logged
// on, so that the held-back users who are get the logoff request; once a minute the requests are
// followed up; the lines are written. A new check starts 15 ticks after a failed one.
TEST_F(SchedulerTest, UnsynchronisedTicksRetryEveryFifteenAndHoldTheLoggedOnBackAfterEachFailure) {
  THourwarden& service = fixture.Build();
  service.SetCycleStepsForTesting(steps.Steps());
  bool started = true;
  service.ServiceStart(started);  // the check of the start fails
  ASSERT_FALSE(service.TimeSynced);
  steps.calls.clear();
  for (int tick = 1; tick <= 45; ++tick) service.Timer1Timer();
  EXPECT_THAT(steps.calls,
              ElementsAre("UpdateProcessList", "EvaluateRestrictions", "StartTimeCheck", "SyncInternetTime",
                          "UpdateProcessList", "EvaluateRestrictions", "StartTimeCheck", "SyncInternetTime",
                          "UpdateProcessList", "CheckLogoffFlags", "EvaluateRestrictions", "StartTimeCheck",
                          "SyncInternetTime", "UpdateProcessList", "EvaluateRestrictions"));
  EXPECT_EQ(service.TickCount, 45);
  EXPECT_TRUE(std::filesystem::exists(fixture.dir.File("debug.log")));
  EXPECT_EQ(Lines("Synchronization with internet time"), 3);
}

// A check that takes long holds nothing up: the users stay held back every 15 ticks, no second
// check starts beside it, its result is taken on the first tick after it finished, and the next
// check comes 15 ticks after that failure.
TEST_F(SchedulerTest, ASlowCheckIsTakenWhenItEndsWhileTheTicksHoldTheUsersBack) {
  THourwarden& service = fixture.Build();
  steps.holdTimeChecks = true;
  service.SetCycleStepsForTesting(steps.Steps());
  bool started = true;
  service.ServiceStart(started);
  steps.calls.clear();
  for (int tick = 1; tick <= 40; ++tick) service.Timer1Timer();
  EXPECT_EQ(steps.Count("StartTimeCheck") + steps.Count("SyncInternetTime"), 0);
  EXPECT_EQ(steps.Count("EvaluateRestrictions"), 3);  // ticks 1, 15 and 30
  EXPECT_EQ(steps.Count("CheckLogoffFlags"), 1);
  ASSERT_EQ(steps.heldChecks.size(), 1u);
  steps.heldChecks[0]->Finish({});
  steps.calls.clear();
  service.Timer1Timer();
  EXPECT_THAT(steps.calls, ElementsAre("SyncInternetTime", "UpdateProcessList", "EvaluateRestrictions"));
  for (int tick = 1; tick <= 14; ++tick) service.Timer1Timer();
  EXPECT_EQ(steps.heldChecks.size(), 1u);
  service.Timer1Timer();
  EXPECT_EQ(steps.heldChecks.size(), 2u);
}

// The start's day test waited for this first confirmed time, and runs with it.
TEST_F(SchedulerTest, ASyncSucceedingOnTickFifteenRunsTheStartsDayTestJudgesTheUsersAndSwitchesToTheSynchronisedBranch) {
  THourwarden& service = fixture.Build();
  service.SetCycleStepsForTesting(steps.Steps());
  steps.syncResults = {false, true};
  bool started = true;
  service.ServiceStart(started);
  steps.calls.clear();
  for (int tick = 1; tick <= 15; ++tick) service.Timer1Timer();
  EXPECT_THAT(steps.calls, ElementsAre("UpdateProcessList", "EvaluateRestrictions", "StartTimeCheck",
                                       "SyncInternetTime", "UpdateSpentTimes", "EvaluateAtConfirmedTime"));
  EXPECT_FALSE(service.DayTestPending);
  EXPECT_TRUE(service.TimeSynced);
  EXPECT_EQ(service.TickCount, 0);
  service.Timer1Timer();
  EXPECT_EQ(service.TickCount, 1);
  EXPECT_EQ(steps.calls.back(), "UpdateProcessList");
}

TEST_F(SchedulerTest, ATickWhileBusyIsDroppedWithoutCounting) {
  THourwarden& service = StartSynchronised();
  service.TickCount = 5;
  service.CycleBusy = 1;
  service.Timer1Timer();
  EXPECT_EQ(service.TickCount, 5);
  EXPECT_TRUE(steps.calls.empty());
  EXPECT_EQ(Lines("Timer thread already running"), 1);
}

TEST_F(SchedulerTest, ATickEndedByAnExceptionDoesNotStopTheNextOne) {
  THourwarden& service = StartSynchronised();
  steps.throwInMinuteRefresh = true;
  service.SetCycleStepsForTesting(steps.Steps());
  service.TickCount = 29;
  EXPECT_THROW(service.Timer1Timer(), std::runtime_error);
  EXPECT_EQ(service.CycleBusy, 0);
  steps.calls.clear();
  service.Timer1Timer();
  EXPECT_THAT(steps.calls, ElementsAre("UpdateProcessList"));
}

TEST_F(SchedulerTest, NoTickWorkAfterTheStopHasBegun) {
  THourwarden& service = StartSynchronised();
  bool stopped = true;
  service.ServiceStop(stopped);
  steps.calls.clear();
  service.TickCount = 29;
  service.Timer1Timer();
  EXPECT_TRUE(steps.calls.empty());
}

}  // namespace
