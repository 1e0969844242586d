#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <thread>

#include "fakes/fake_service_control_host.h"
#include "fakes/service_fixture.h"
#include "core/command_line.h"
#include "service/host_messages.h"
#include "service/service_base.h"
#include "service/service_installer.h"

namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::Eq;
using ::testing::IsEmpty;
using ::testing::Pair;

// Waits up to five seconds for something the service thread does; true when it happened.
bool Eventually(const std::function<bool()>& happened) {
  for (int i = 0; i < 500; ++i) {
    if (happened()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return happened();
}

struct Report {
  uint32_t state, checkPoint, controls;
  bool operator==(const Report&) const = default;
};

std::vector<Report> Summary(const std::vector<ServiceStatusRecord>& records) {
  std::vector<Report> reports;
  for (const ServiceStatusRecord& r : records) reports.push_back({r.currentState, r.checkPoint, r.controlsAccepted});
  return reports;
}

std::ostream& operator<<(std::ostream& out, const Report& r) {
  return out << "{state " << r.state << ", cp " << r.checkPoint << ", controls " << r.controls << "}";
}

constexpr uint32_t kStopped = 1, kStartPending = 2, kStopPending = 3, kRunning = 4;
constexpr uint32_t kStopAndShutdown = 5;

// A service run by the host on fakes: Main runs on its own thread like the service-main thread.
class ServiceHostTest : public ::testing::Test {
 protected:
  ServiceHostTest() : service("Hourwarden") {
    service.AllowPause = false;
    service.WaitHint = 2000;
    service.AttachHost(&host);
    service.OnStart = [this](TService*, bool&) { calls.push_back("start"); };
    service.OnStop = [this](TService*, bool& stopped) {
      calls.push_back("stop");
      if (failStop) throw std::runtime_error("cannot stop now");
      stopped = stopAnswer;
    };
    service.OnShutdown = [this](TService*) {
      calls.push_back("shutdown");
      if (failShutdown) throw std::runtime_error("disk gone");
    };
  }
  ~ServiceHostTest() override {
    if (mainThread.joinable()) mainThread.join();
  }
  void RunMain() {
    mainThread = std::thread([this] { service.Main({"hourwarden"}); });
    host.WaitForState(TCurrentStatus::csRunning);
  }
  void Send(uint32_t code) { host.controlHandler(code); }
  void WaitForEnd() { mainThread.join(); }

  FakeServiceControlHost host;
  TService service;
  std::vector<std::string> calls;
  bool failStop = false;
  bool stopAnswer = true;
  bool failShutdown = false;
  std::thread mainThread;
};

TEST_F(ServiceHostTest, ANormalRunReportsItsStatesWithTheCheckPointRule) {
  RunMain();
  Send(kServiceControlStop);
  WaitForEnd();
  EXPECT_EQ(host.registeredName, "Hourwarden");
  EXPECT_THAT(service.Params, ElementsAre("hourwarden"));
  EXPECT_THAT(Summary(host.Reports()),
              ElementsAre(Report{kStartPending, 1, 0}, Report{kStartPending, 2, 0}, Report{kRunning, 0, kStopAndShutdown},
                          Report{kStopPending, 0, kStopAndShutdown}, Report{kStopped, 0, kStopAndShutdown}));
  for (const ServiceStatusRecord& record : host.Reports()) {
    EXPECT_EQ(record.serviceType, 0x10u);
    EXPECT_EQ(record.waitHint, 2000u);
    EXPECT_EQ(record.win32ExitCode, 0u);
  }
  EXPECT_THAT(calls, ElementsAre("start", "stop"));
  EXPECT_THAT(host.EventMessages(), IsEmpty());
}

TEST_F(ServiceHostTest, InterrogateReReportsRunningWithCheckPointZero) {
  RunMain();
  Send(kServiceControlInterrogate);
  host.WaitForReports(4);
  Send(kServiceControlStop);
  WaitForEnd();
  EXPECT_EQ(Summary(host.Reports())[3], (Report{kRunning, 0, kStopAndShutdown}));
}

TEST_F(ServiceHostTest, AFailedStopLeavesTheServiceRunning) {
  failStop = true;
  RunMain();
  Send(kServiceControlStop);
  ASSERT_TRUE(Eventually([&] { return !host.EventMessages().empty(); }));
  EXPECT_EQ(Summary(host.Reports())[4], (Report{kRunning, 0, kStopAndShutdown}));
  EXPECT_THAT(host.EventMessages(), ElementsAre("Service failed on stop: cannot stop now"));
  EXPECT_THAT(host.eventSources, ElementsAre("Hourwarden"));
  failStop = false;
  Send(kServiceControlStop);
  WaitForEnd();
  EXPECT_EQ(host.Reports().back().currentState, kStopped);
}

TEST_F(ServiceHostTest, AStopHandlerThatRefusesKeepsTheRememberedState) {
  stopAnswer = false;
  RunMain();
  Send(kServiceControlStop);
  host.WaitForReports(5);
  EXPECT_EQ(Summary(host.Reports())[4].state, kRunning);
  stopAnswer = true;
  Send(kServiceControlStop);
  WaitForEnd();
}

TEST_F(ServiceHostTest, AFailedShutdownStillEndsTheServiceThread) {
  failShutdown = true;
  RunMain();
  Send(kServiceControlShutdown);
  WaitForEnd();
  EXPECT_THAT(host.EventMessages(), ElementsAre("Service failed on shutdown: disk gone"));
  const auto reports = Summary(host.Reports());
  EXPECT_EQ(reports[3].state, kStopPending);
  EXPECT_EQ(reports.back().state, kStopped);
  EXPECT_EQ(reports.size(), 5u);  // no return to running
}

TEST_F(ServiceHostTest, AFailingStartHandlerEndsTheRunWithStopped) {
  service.OnStart = [](TService*, bool&) { throw std::runtime_error("no settings"); };
  service.Main({"Hourwarden"});
  EXPECT_THAT(host.EventMessages(), ElementsAre("Service failed on start: no settings"));
  EXPECT_EQ(host.Reports().back().currentState, kStopped);
}

TEST_F(ServiceHostTest, AServiceThreadThatCannotBeMadeLeavesNothingBehindForTheControlHandler) {
  host.failThreadStart = true;
  service.Main({"Hourwarden"});
  ASSERT_EQ(host.EventMessages().size(), 1u);
  EXPECT_THAT(host.EventMessages()[0], testing::StartsWith("Service failed on execute: "));
  EXPECT_EQ(host.Reports().back().currentState, kStopped);
  service.Controller(kServiceControlInterrogate);  // must not reach the thread object that is gone
  EXPECT_EQ(host.Reports().back().currentState, kStopped);
  EXPECT_EQ(service.RequestLoop(), nullptr);
}

// A run that a failure ends stops with the service's own exit code, which the service control
// manager counts as a failure (and restarts the service for); a run that ends as asked has none.
TEST(ServiceExitCodeTest, AFailedRunStopsWithTheServicesOwnCode) {
  enum class Fault { kNone, kStart, kExecute, kThread };
  const struct {
    Fault fault;
    uint32_t win32, specific;
  } cases[] = {{Fault::kStart, 1066, kExitStartFailed},
               {Fault::kExecute, 1066, kExitExecuteFailed},
               {Fault::kThread, 1066, kExitExecuteFailed},
               {Fault::kNone, 0, 0}};
  for (const auto& c : cases) {
    FakeServiceControlHost host;
    TService service("Hourwarden");
    service.AttachHost(&host);
    service.OnStart = [&](TService*, bool&) {
      if (c.fault == Fault::kStart) throw std::runtime_error("no settings");
    };
    service.OnExecute = [&](TService*) {  // returns at once: the run ends as asked
      if (c.fault == Fault::kExecute) throw std::runtime_error("no request loop");
    };
    host.failThreadStart = c.fault == Fault::kThread;
    service.Main({"Hourwarden"});
    const ServiceStatusRecord last = host.Reports().back();
    EXPECT_EQ(last.currentState, kStopped);
    EXPECT_EQ(last.win32ExitCode, c.win32) << static_cast<int>(c.fault);
    EXPECT_EQ(last.serviceSpecificExitCode, c.specific) << static_cast<int>(c.fault);
  }
}

TEST_F(ServiceHostTest, AFailedRegistrationLeavesTheServiceUnstarted) {
  host.registrationSucceeds = false;
  service.Main({"Hourwarden"});
  EXPECT_THAT(calls, IsEmpty());
  EXPECT_THAT(host.Reports(), IsEmpty());
  EXPECT_THAT(host.EventMessages(), ElementsAre("RegisterServiceCtrlHandlerA failed with error 1063"));
}

TEST_F(ServiceHostTest, AControlRequestWithNoServiceThreadIsAnsweredWithTheCurrentState) {
  service.Controller(kServiceControlInterrogate);
  ASSERT_EQ(host.Reports().size(), 1u);
  EXPECT_EQ(host.Reports()[0].currentState, kStopped);
}

TEST_F(ServiceHostTest, CustomCodesDoNothingAndFailedReportsGoToTheEventLog) {
  host.reportsSucceed = false;
  RunMain();
  Send(200);
  Send(kServiceControlStop);
  WaitForEnd();
  EXPECT_THAT(calls, ElementsAre("start", "stop"));
  EXPECT_EQ(host.EventMessages().size(), 5u);  // one per failed report
  EXPECT_THAT(host.EventMessages(), Each(Eq("SetServiceStatus failed with error 6")));
}

// The service object itself under the host: the handlers of the stop run on the service thread.
TEST(ServiceObjectUnderHostTest, TheHourwardenHandlersRunThroughTheHost) {
  ServiceFixture fixture;
  StepRecorder steps;
  FakeServiceControlHost host;
  THourwarden& service = fixture.Build();
  service.SetCycleStepsForTesting(steps.Steps());
  service.AttachHost(&host);
  EXPECT_EQ(service.Name, "Hourwarden");
  EXPECT_EQ(service.ShownName(), "Hourwarden");
  std::thread main([&] { service.Main({"Hourwarden"}); });
  EXPECT_TRUE(Eventually([&] { return fixture.ServiceTimer().Enabled(); }));
  host.controlHandler(kServiceControlStop);
  main.join();
  EXPECT_FALSE(fixture.ServiceTimer().Enabled());
  EXPECT_EQ(steps.calls.back(), "UnblockAllUsers");
  EXPECT_EQ(host.Reports().back().currentState, kStopped);
  EXPECT_EQ(host.Reports()[2].controlsAccepted, kStopAndShutdown);  // no pause and continue
}

TEST(CommandLineTest, SwitchesAfterADashOrSlashInAnyCaseMatchedWhole) {
  struct Case {
    std::vector<std::string> args;
    bool install, uninstall, silent;
  } cases[] = {
      {{}, false, false, false},
      {{"-install"}, true, false, false},
      {{"/INSTALL"}, true, false, false},
      {{"/InStAlL", "-silent"}, true, false, true},
      {{"/installx"}, false, false, false},
      {{"install"}, false, false, false},
      {{"--install"}, false, false, false},
      {{"/"}, false, false, false},
      {{"/uninstall", "/install"}, true, true, false},
      {{"-UNINSTALL", "/Silent"}, false, true, true},
  };
  for (const Case& c : cases) {
    const CommandLineSwitches switches = ParseSwitches(c.args);
    EXPECT_EQ(switches.install, c.install) << ::testing::PrintToString(c.args);
    EXPECT_EQ(switches.uninstall, c.uninstall) << ::testing::PrintToString(c.args);
    EXPECT_EQ(switches.silent, c.silent) << ::testing::PrintToString(c.args);
  }
}

TEST(HostMessagesTest, TextsOfTheEventLogDialogsAndErrorBox) {
  EXPECT_EQ(SystemErrorMessage(1060, "The specified service does not exist as an installed service."),
            "System Error.  Code: 1060.\r\nThe specified service does not exist as an installed service.");
  EXPECT_EQ(SystemErrorMessage(0, "whatever"), "A call to an OS function failed");
  EXPECT_EQ(ControlFailureMessage(1, "x"), "Service failed on stop: x");
  EXPECT_EQ(ControlFailureMessage(3, "x"), "Service failed on continue: x");
  EXPECT_EQ(ControlFailureMessage(5, "x"), "Service failed on shutdown: x");
  EXPECT_EQ(ControlFailureMessage(128, "x"), "Service failed in custom message(128): x");
  EXPECT_EQ(InstallFailedMessage("Hourwarden", "E"), "Service \"Hourwarden\" failed to install with error: \"E\"");
  EXPECT_EQ(UninstallFailedMessage("Hourwarden", "E"), "Service \"Hourwarden\" failed to uninstall with error: \"E\"");
  const std::string box = ApplicationErrorMessage("EOSError", "hourwarden.exe", nullptr, "Access is denied");
  EXPECT_EQ(box.substr(0, 41), "Exception EOSError in module hourwarden.e");
  EXPECT_TRUE(box.ends_with(".\r\nAccess is denied.\r\n")) << box;
  const std::string ended = ApplicationErrorMessage("E", "m", nullptr, "Done.");
  EXPECT_TRUE(ended.ends_with("\r\nDone.\r\n")) << ended;
  const std::string empty = ApplicationErrorMessage("E", "m", nullptr, "");
  EXPECT_TRUE(empty.ends_with(".\r\n\r\n")) << empty;
}

// A failure of the code, as a fake call gives it; none for 0.
CallResult<> FailureOf(uint32_t code) {
  if (code == 0) return {};
  return CallFailure{"a call failed with error " + std::to_string(code), code};
}

// An in-memory service manager and dialogs.
class FakeServiceManager : public ServiceManager {
 public:
  CallResult<> Open() override {
    if (openFails) return FailureOf(5);
    ++opens;
    return {};
  }
  void Close() override { ++closes; }
  CallResult<> CreateServiceEntry(const ServiceInstallation& installation) override {
    created.push_back(installation);
    return FailureOf(createError);
  }
  CallResult<> DeleteServiceEntry(const std::string& name) override {
    deleted.push_back(name);
    return FailureOf(deleteError);
  }
  std::string ErrorText(uint32_t code) override { return "text of " + std::to_string(code); }

  bool openFails = false;
  uint32_t createError = 0, deleteError = 0;
  int opens = 0, closes = 0;
  std::vector<ServiceInstallation> created;
  std::vector<std::string> deleted;
};

// An in-memory list of event sources: source -> message file.
class FakeEventSources : public EventSources {
 public:
  CallResult<> RegisterSource(const std::string& source, const std::string& messageFile) override {
    if (registerError != 0) return FailureOf(registerError);
    sources[source] = messageFile;
    return {};
  }
  CallResult<> RemoveSource(const std::string& source) override {
    sources.erase(source);
    return {};
  }

  uint32_t registerError = 0;
  std::map<std::string, std::string> sources;
};

class RecordingDialogs : public Dialogs {
 public:
  void ShowInformation(const std::string& text) override { shown.push_back("Information: " + text); }
  void ShowError(const std::string& text) override { shown.push_back("Error: " + text); }
  std::vector<std::string> shown;
};

// An in-memory Safe Mode list: the services listed.
class FakeSafeBootEntries : public SafeBootEntries {
 public:
  CallResult<> Add(const std::string& service) override {
    if (addError != 0) return FailureOf(addError);
    services.insert(service);
    return {};
  }
  CallResult<> Remove(const std::string& service) override {
    services.erase(service);
    return {};
  }

  uint32_t addError = 0;
  std::set<std::string> services;
};

class InstallerTest : public ::testing::Test {
 protected:
  InstallerTest() {
    service = &fixture.Build();
  }
  bool Install(const std::string& exe, bool silent) { return InstallService(*service, Platform(), exe, silent); }
  bool Uninstall(const std::string& exe, bool silent) { return UninstallService(*service, Platform(), exe, silent); }
  InstallerTargets Platform() { return {&manager, &sources, &safeBoot, &dialogs}; }

  ServiceFixture fixture;
  THourwarden* service;
  FakeServiceManager manager;
  FakeEventSources sources;
  FakeSafeBootEntries safeBoot;
  RecordingDialogs dialogs;
};

TEST_F(InstallerTest, InstallPassesTheServiceValuesAndTheFullPath) {
  Install("C:\\Tools\\hourwarden.exe", false);
  ASSERT_EQ(manager.created.size(), 1u);
  const ServiceInstallation& values = manager.created[0];
  EXPECT_EQ(values.name, "Hourwarden");
  EXPECT_EQ(values.displayName, "Hourwarden");
  EXPECT_EQ(values.serviceType, 0x10u);
  EXPECT_EQ(values.startType, 2u);
  EXPECT_EQ(values.errorControl, 1u);
  EXPECT_EQ(values.binaryPath, "C:\\Tools\\hourwarden.exe");
  EXPECT_EQ(values.startName, "");
  EXPECT_EQ(values.loadOrderGroup, "");
  EXPECT_EQ(values.restartDelayMs, 10000u);
  EXPECT_EQ(values.failureResetSeconds, 86400u);
  EXPECT_TRUE(values.failureActionsOnNonCrashFailures);  // a failed start is restarted too
  EXPECT_EQ(manager.closes, 1);
  EXPECT_THAT(dialogs.shown, ElementsAre("Information: Service installed successfully"));
}

TEST_F(InstallerTest, APathWithABlankIsQuoted) {
  Install("C:\\Program Files\\Hourwarden\\hourwarden.exe", true);
  EXPECT_EQ(manager.created[0].binaryPath, "\"C:\\Program Files\\Hourwarden\\hourwarden.exe\"");
  EXPECT_THAT(dialogs.shown, IsEmpty());
}

TEST_F(InstallerTest, InstallRegistersBothEventSourcesAndSafeModeAndUninstallRemovesThem) {
  const std::string exe = "C:\\Program Files\\Hourwarden\\hourwarden.exe";
  EXPECT_TRUE(Install(exe, true));
  EXPECT_THAT(sources.sources, ElementsAre(Pair("Hourwarden", exe), Pair("hourwarden.exe", exe)));
  EXPECT_THAT(safeBoot.services, ElementsAre("Hourwarden"));
  EXPECT_TRUE(Uninstall(exe, true));
  EXPECT_THAT(sources.sources, IsEmpty());
  EXPECT_THAT(safeBoot.services, IsEmpty());
}

// Whatever fails after the service was created, the run removes what it made; a service that was
// there before is left alone.
TEST_F(InstallerTest, AFailedInstallLeavesNothingOfItsOwnBehind) {
  safeBoot.addError = 5;
  EXPECT_FALSE(Install("C:\\hourwarden.exe", true));
  EXPECT_THAT(manager.deleted, ElementsAre("Hourwarden"));
  EXPECT_THAT(sources.sources, IsEmpty());
  safeBoot.addError = 0;
  manager.createError = 1073;  // the service exists already
  EXPECT_FALSE(Install("C:\\hourwarden.exe", true));
  EXPECT_THAT(manager.deleted, ElementsAre("Hourwarden"));
}

TEST_F(InstallerTest, ASourceThatCannotBeRegisteredFailsTheInstall) {
  sources.registerError = 5;
  EXPECT_FALSE(Install("C:\\hourwarden.exe", true));
  EXPECT_THAT(dialogs.shown, ElementsAre("Error: Service \"Hourwarden\" failed to install with error: "
                                         "\"System Error.  Code: 5.\r\ntext of 5\""));
}

TEST_F(InstallerTest, AFailedInstallShowsTheErrorEvenWhenSilent) {
  manager.createError = 1073;
  EXPECT_FALSE(Install("C:\\hourwarden.exe", true));
  EXPECT_THAT(dialogs.shown, ElementsAre("Error: Service \"Hourwarden\" failed to install with error: "
                                         "\"System Error.  Code: 1073.\r\ntext of 1073\""));
  EXPECT_EQ(manager.closes, 1);
}

TEST_F(InstallerTest, UninstallClosesTheCompanionToolFirstAndReportsAMissingService) {
  manager.deleteError = 1060;
  EXPECT_FALSE(Uninstall("C:\\hourwarden.exe", true));
  EXPECT_THAT(fixture.companionWindow.requests, ElementsAre("Hourwarden - User loggoff tool"));
  EXPECT_THAT(manager.deleted, ElementsAre("Hourwarden"));
  EXPECT_THAT(dialogs.shown, ElementsAre("Error: Service \"Hourwarden\" failed to uninstall with error: "
                                         "\"System Error.  Code: 1060.\r\ntext of 1060\""));
}

TEST_F(InstallerTest, ASuccessfulUninstallShowsItsDialogUnlessSilent) {
  Uninstall("C:\\hourwarden.exe", false);
  Uninstall("C:\\hourwarden.exe", true);
  EXPECT_THAT(dialogs.shown, ElementsAre("Information: Service uninstalled successfully"));
}

TEST_F(InstallerTest, AManagerThatCannotBeOpenedFailsOutOfTheRun) {
  manager.openFails = true;
  EXPECT_THROW(Install("C:\\hourwarden.exe", false), EOSError);
  EXPECT_TRUE(manager.created.empty());
  EXPECT_THAT(dialogs.shown, IsEmpty());
}

}  // namespace
