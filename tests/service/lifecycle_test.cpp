#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "fakes/service_fixture.h"
#include "logging/logs.h"
#include "service/hourwarden.h"
#include "settings/registry_access.h"

namespace {

using ::testing::ElementsAre;

// A request loop whose requests are scripted by the test.
class ScriptedRequests : public ServiceRequestLoop {
 public:
  bool Terminated() const override { return terminated; }
  void ProcessRequests(bool) override {
    ++rounds;
    if (onRequest) onRequest();
  }
  bool terminated = false;
  int rounds = 0;
  std::function<void()> onRequest;
};

class LifecycleTest : public ::testing::Test {
 protected:
  THourwarden& Build() {
    THourwarden& service = fixture.Build();
    service.SetCycleStepsForTesting(steps.Steps());
    service.AttachRequestLoop(&requests);
    return service;
  }
  void Start() {
    bool started = true;
    fixture.service->ServiceStart(started);
    EXPECT_TRUE(started);
  }

  ServiceFixture fixture;
  StepRecorder steps;
  ScriptedRequests requests;
};

TEST_F(LifecycleTest, ConstructionFillsTheMonthNamesAndStartsAtLevelThree) {
  THourwarden& service = Build();
  EXPECT_THAT(service.MonthNames.Items(),
              ElementsAre("Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"));
  EXPECT_EQ(service.DebugLevel, 3);
  EXPECT_EQ(service.CycleNow, 0);
  EXPECT_FALSE(service.TimeSynced);
  EXPECT_EQ(service.CycleBusy, 0);
  EXPECT_EQ(fixture.timerInterval, 2000);
  EXPECT_FALSE(fixture.ServiceTimer().Enabled());
  EXPECT_THAT(fixture.BufferedMessages(), ElementsAre("Creating service", "Service created"));
}

TEST_F(LifecycleTest, StartRunsItsStepsInOrderAndTakesTheCycleTime) {
  THourwarden& service = Build();
  steps.syncResults = {true};
  fixture.clock.SetNow({2026, 12, 13, 9, 0, 0, 0});  // a Sunday
  fixture.clock.SetCalendarSeconds(5000);
  service.TickCount = 7;
  Start();
  EXPECT_THAT(steps.calls, ElementsAre("StartTimeCheck", "SyncInternetTime", "LoadSettings", "ReadSpentTimes",
                                       "UpdateSpentTimes", "EvaluateRestrictions"));
  EXPECT_TRUE(service.TimeSynced);
  EXPECT_EQ(service.TickCount, 0);
  EXPECT_EQ(service.DayIndex, 6);
  EXPECT_EQ(service.CycleNow, fixture.clock.Now());
  EXPECT_EQ(service.LastCycleClock, 5000);
  EXPECT_THAT(fixture.BufferedMessages(),
              ElementsAre("Creating service", "Service created", "Starting service", "step StartTimeCheck",
                          "step SyncInternetTime", "step LoadSettings", "step ReadSpentTimes",
                          "step UpdateSpentTimes", "step EvaluateRestrictions", "Service started"));
  EXPECT_FALSE(std::filesystem::exists(fixture.dir.File("debug.log")));  // start does not flush
}

// An unconfirmed clock may show any date, so the day test of the counts waits for the first
// confirmed time (a firmware clock set ahead before an offline boot resets nothing). The start
// never waits for the check: one that has not finished is taken by a later tick.
TEST_F(LifecycleTest, StartWithoutAConfirmedTimeCompletesUnsynchronisedWithTheDayTestWaiting) {
  steps.holdTimeChecks = true;
  THourwarden& service = Build();
  fixture.clock.SetNow({2026, 12, 7, 9, 0, 0, 0});  // a Monday
  Start();
  EXPECT_FALSE(service.TimeSynced);
  EXPECT_EQ(service.DayIndex, 0);
  EXPECT_THAT(steps.calls, ElementsAre("StartTimeCheck", "LoadSettings", "ReadSpentTimes", "EvaluateRestrictions"));
  EXPECT_TRUE(service.DayTestPending);
}

TEST_F(LifecycleTest, StopLeavesItsClosingLinesForTheFlushAtDestruction) {
  THourwarden& service = Build();
  steps.syncResults = {true};
  Start();
  requests.onRequest = [&] {
    bool stopped = true;
    service.ServiceStop(stopped);
    requests.terminated = stopped;
  };
  service.ServiceExecute();
  EXPECT_FALSE(fixture.ServiceTimer().Enabled());
  EXPECT_EQ(fixture.ServiceTimer().Switches(), 2);
  EXPECT_THAT(steps.calls, ElementsAre("StartTimeCheck", "SyncInternetTime", "LoadSettings", "ReadSpentTimes",
                                       "UpdateSpentTimes", "EvaluateRestrictions", "WriteSpentTimes", "UnblockAllUsers"));
  EXPECT_THAT(fixture.DebugMessages(),
              ElementsAre("Creating service", "Service created", "Starting service", "step StartTimeCheck",
                          "step SyncInternetTime", "step LoadSettings", "step ReadSpentTimes", "step UpdateSpentTimes",
                          "step EvaluateRestrictions", "Service started", "Executing service", "Stopping service",
                          "step WriteSpentTimes", "step UnblockAllUsers"));
  fixture.Destroy();
  const std::vector<std::string> messages = fixture.DebugMessages();
  EXPECT_THAT(std::vector<std::string>(messages.end() - 3, messages.end()),
              ElementsAre("Service stopped", "Service execution stopped", "Service destroyed"));
}

TEST_F(LifecycleTest, ShutdownWritesBlocksEveryoneFlushesAndEmptiesEveryList) {
  THourwarden& service = Build();
  steps.syncResults = {true};
  Start();
  service.RestrictedUsers.Add("alice");
  service.LoggedOnUsers.Add("alice");
  service.CurrentProcesses.Add("1 | alice | a.exe | p ");
  service.PreviousProcesses.Add("1 | alice | a.exe | p ");
  service.DayFilters.push_back(StringList{""});
  service.DayLimits.push_back(StringList{"60"});
  service.SpentTimes.push_back(StringList{"1", "08.12.2026"});
  WriteLog(service, 1, "pending process line");
  requests.onRequest = [&] {
    service.ServiceShutdown();
    requests.terminated = true;
  };
  service.ServiceExecute();
  EXPECT_EQ(steps.Count("UnblockAllUsers"), 0);
  EXPECT_THAT(std::vector<std::string>(steps.calls.end() - 2, steps.calls.end()),
              ElementsAre("WriteSpentTimes", "BlockAllUsers"));
  EXPECT_TRUE(service.MonthNames.Empty());
  EXPECT_TRUE(service.RestrictedUsers.Empty());
  EXPECT_TRUE(service.LoggedOnUsers.Empty());
  EXPECT_TRUE(service.CurrentProcesses.Empty());
  EXPECT_TRUE(service.PreviousProcesses.Empty());
  EXPECT_TRUE(service.DayFilters.empty());
  EXPECT_TRUE(service.DayLimits.empty());
  EXPECT_TRUE(service.SpentTimes.empty());
  EXPECT_NE(fixture.ProcessLog().find("pending process line"), std::string::npos);
  const std::vector<std::string> flushed = fixture.DebugMessages();
  EXPECT_EQ(flushed.back(), "step BlockAllUsers");
  fixture.Destroy();
  const std::vector<std::string> messages = fixture.DebugMessages();
  EXPECT_THAT(std::vector<std::string>(messages.end() - 2, messages.end()),
              ElementsAre("Service execution stopped", "Service destroyed"));
}

TEST_F(LifecycleTest, AFailedStopLetsTheTicksGoOn) {
  THourwarden& service = Build();
  steps.syncResults = {true};
  Start();
  CycleSteps failing = steps.Steps();
  failing.writeSpentTimes = [](ServiceState&) { throw std::runtime_error("registry refused"); };
  service.SetCycleStepsForTesting(failing);
  bool stopped = true;
  EXPECT_THROW(service.ServiceStop(stopped), std::runtime_error);
  steps.calls.clear();
  service.Timer1Timer();
  EXPECT_THAT(steps.calls, ElementsAre("UpdateProcessList"));
}

// The failure travels to the host, which writes it to the event log and stops with the start's
// exit code.
TEST_F(LifecycleTest, ATimerThatCannotTickFailsTheStartBeforeAnythingRuns) {
  THourwarden& service = Build();
  fixture.ServiceTimer().readiness = CallFailure{"SetTimer failed with error 8"};
  bool started = true;
  try {
    service.ServiceStart(started);
    ADD_FAILURE() << "the start went on";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "SetTimer failed with error 8");
  }
  EXPECT_TRUE(steps.calls.empty());
}

TEST_F(LifecycleTest, AServiceIsNotBuiltWithoutARequiredSeamButIsWithoutTheOptionalOnes) {
  fixture.platform.companionWindow = nullptr;
  fixture.platform.timeZones = nullptr;
  fixture.platform.makeRequestServer = nullptr;
  EXPECT_NE(THourwarden::Create(fixture.platform), nullptr);
  fixture.platform.sessionControl = nullptr;
  fixture.platform.runWorker = nullptr;
  try {
    (void)THourwarden::Create(fixture.platform);
    ADD_FAILURE() << "built without its session control and worker runner";
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(error.what(), "The service cannot be built without its platform's runWorker, sessionControl");
  }
}

TEST_F(LifecycleTest, ExecuteWithoutAHostFailsLoudly) {
  THourwarden& service = fixture.Build();
  EXPECT_THROW(service.ServiceExecute(), std::logic_error);
}

TEST_F(LifecycleTest, AnInstallRunWritesItsLinesToTheCurrentDirectoryAtLevelThree) {
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(fixture.dir.Path());
  {
    std::unique_ptr<THourwarden> service = THourwarden::Create(fixture.platform);
    EXPECT_TRUE(service->AppPath.empty());
  }
  std::filesystem::current_path(previous);
  EXPECT_THAT(fixture.DebugMessages(), ElementsAre("Creating service", "Service created", "Service destroyed"));
}

TEST_F(LifecycleTest, BeforeUninstallAsksTheCompanionToolToClose) {
  THourwarden& service = Build();
  service.ServiceBeforeUninstall();
  fixture.companionWindow.windowOpen = true;
  service.ServiceBeforeUninstall();
  EXPECT_THAT(fixture.companionWindow.requests,
              ElementsAre("Hourwarden - User loggoff tool", "Hourwarden - User loggoff tool"));
}

// At the default debug level every lifecycle line of level 2 reaches the log, "Service execution
// stopped" (level 3) does not.
TEST_F(LifecycleTest, AtTheDefaultLevelTheLifecycleLinesOfLevelTwoAreWritten) {
  ServiceFixture real;  // the service's own steps: Debug is missing, so the level becomes 2
  real.registry.SetStringForTesting(kProductKey, "Path", real.dir.Prefix());
  THourwarden& service = real.Build();
  service.AttachRequestLoop(&requests);
  bool started = true;
  service.ServiceStart(started);
  requests.onRequest = [&] {
    bool stopped = true;
    service.ServiceStop(stopped);
    requests.terminated = stopped;
  };
  service.ServiceExecute();
  EXPECT_EQ(service.DebugLevel, 2);
  real.Destroy();
  const std::vector<std::string> lifecycle = {"Creating service", "Service created", "Starting service",
                                              "Service started", "Executing service", "Stopping service",
                                              "Service stopped", "Service execution stopped", "Service destroyed"};
  std::vector<std::string> written;
  for (const std::string& message : real.DebugMessages())
    if (std::find(lifecycle.begin(), lifecycle.end(), message) != lifecycle.end()) written.push_back(message);
  EXPECT_THAT(written, ElementsAre("Creating service", "Service created", "Starting service", "Service started",
                                   "Executing service", "Stopping service", "Service stopped", "Service destroyed"));
}

TEST_F(LifecycleTest, BothAStopAndAShutdownTrimTheLogs) {
  for (const bool shutdown : {false, true}) {
    SCOPED_TRACE(shutdown ? "shutdown" : "stop");
    ServiceFixture each;
    THourwarden& service = each.Build();
    service.SetCycleStepsForTesting(steps.Steps());
    {
      std::ofstream out(each.dir.File("process.log"), std::ios::binary);
      for (int i = 0; i < 12'000; ++i) out << std::string(99, 'p') << kNativeLineEnd;
    }
    bool done = true;
    if (shutdown)
      service.ServiceShutdown();
    else
      service.ServiceStop(done);
    EXPECT_LE(std::filesystem::file_size(each.dir.File("process.log")), static_cast<uintmax_t>(kTrimSize));
  }
}

// A stop on the service thread waits for a tick that is under way on the main thread, and the
// other way round; without that lock the stop would unblock the accounts in the middle of a cycle.
TEST_F(LifecycleTest, AStopNeverInterleavesWithATick) {
  THourwarden& service = Build();
  steps.syncResults = {true};
  Start();
  std::atomic<bool> inTick{false}, stopRanDuringTick{false};
  std::promise<void> tickEntered;
  CycleSteps slow = steps.Steps();
  slow.updateProcessList = [&](ServiceState&) {
    inTick = true;
    tickEntered.set_value();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    inTick = false;
  };
  slow.writeSpentTimes = [&](ServiceState&) { stopRanDuringTick = stopRanDuringTick || inTick; };
  slow.unblockAllUsers = [&](ServiceState&) { stopRanDuringTick = stopRanDuringTick || inTick; };
  service.SetCycleStepsForTesting(slow);

  std::thread tick([&] { service.Timer1Timer(); });
  tickEntered.get_future().wait();
  bool stopped = true;
  service.ServiceStop(stopped);
  tick.join();
  EXPECT_FALSE(stopRanDuringTick);
}

// A regional format that fails once armed, as a broken locale would.
class FailingFormat : public FixedRegionalFormat {
 public:
  std::string TimeSeparator() const override {
    if (armed) throw std::runtime_error("no time separator");
    return ":";
  }
  bool armed = true;
};

TEST(LifecycleExceptionTest, ExceptionsOfCreateAndDestroyReachTheApplicationsHandling) {
  ServiceFixture fixture;
  FailingFormat format;
  fixture.platform.regionalFormat = &format;
  THourwarden& service = fixture.Build();  // the first line of ServiceCreate fails
  EXPECT_THAT(fixture.reportedExceptions, ElementsAre("no time separator"));
  EXPECT_EQ(service.DebugLevel, 3);  // construction went on
  fixture.Destroy();
  EXPECT_THAT(fixture.reportedExceptions, ElementsAre("no time separator", "no time separator"));
}

}  // namespace
