#pragma once

#include <deque>
#include <stdexcept>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_account_control.h"
#include "fakes/fake_companion_window.h"
#include "fakes/fake_file_attributes.h"
#include "fakes/fake_time_sync.h"
#include "fakes/fake_process_source.h"
#include "fakes/fake_request_server.h"
#include "fakes/fake_session_control.h"
#include "fakes/fake_timer.h"
#include "fakes/manual_clock.h"
#include "fakes/rule_time_zones.h"
#include "fakes/platform_hmac.h"
#include "fakes/temp_dir.h"
#include "fakes/test_workers.h"
#include "core/log_file_trust.h"
#include "logging/logs.h"
#include "core/fixed_regional_format.h"
#include "service/hourwarden.h"
#include "settings/in_memory_registry.h"
#include "timesync/time_confirmation.h"
#include "timesync/time_sync.h"

// A service object on fakes, writing its logs into a temporary directory.
class ServiceFixture {
 public:
  static constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

  ServiceFixture() {
    platform.clock = &clock;
    platform.regionalFormat = &regionalFormat;
    platform.fileAttributes = &fileAttributes;
    platform.logFileSystem = logFiles.get();
    platform.companionWindow = &companionWindow;
    platform.openRegistry = registry.Opener();
    platform.timePageFetcher = sharedFetcher;
    timePageFetcher.clock = &clock;
    platform.runWorker = workers.Runner();
    platform.systemClockSetter = &clockSetter;
    platform.timeZones = &timeZones;
    clockSetter.clock = &clock;
    platform.processSource = &processSource;
    platform.accountControl = &accounts;
    platform.sessionControl = &sessions;
    platform.hmac = &hmac;
    platform.makeRequestServer = requestServers.Factory();
    platform.reportException = [this](const std::string& message) { reportedExceptions.push_back(message); };
    platform.makeTimer = [this](int intervalMs, std::function<void()>) -> std::unique_ptr<::Timer> {
      timerInterval = intervalMs;
      auto timer = std::make_unique<FakeTimer>();
      timer_ = timer.get();
      return timer;
    };
  }

  // The last flush goes to the temporary directory whatever Path the test loaded.
  ~ServiceFixture() {
    if (service) service->AppPath = dir.Prefix();
  }

  // Builds the service object (ServiceCreate runs) with AppPath in the temporary directory.
  THourwarden& Build() {
    service = THourwarden::Create(platform);
    service->AppPath = dir.Prefix();
    return *service;
  }
  // One whole time check of the service on the calling thread (the workers run inline): started,
  // and its result acted on. False also when the check had not finished.
  bool CheckTime() {
    const std::optional<TimeCheckResult> result = StartTimeCheck(*service)->Take();
    return result && SyncInternetTime(*service, *result);
  }
  // Destroys the service object (ServiceDestroy runs).
  void Destroy() { service.reset(); }

  std::string DebugLog() const { return ReadBytes(dir.File("debug.log")); }
  std::string ProcessLog() const { return ReadBytes(dir.File("process.log")); }
  // The messages of the debug log file, without their timestamps.
  std::vector<std::string> DebugMessages() const { return Messages(DebugLog()); }
  // The messages of the lines still buffered, without their timestamps.
  std::vector<std::string> BufferedMessages() const {
    std::vector<std::string> messages;
    for (const std::string& line : service->DebugLines) messages.push_back(line.substr(22));
    return messages;
  }

  static std::vector<std::string> Messages(const std::string& fileText) {
    std::vector<std::string> messages;
    size_t start = 0;
    while (start < fileText.size()) {
      size_t end = fileText.find('\n', start);
      if (end == std::string::npos) end = fileText.size();
      std::string line = fileText.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      messages.push_back(line.size() >= 22 ? line.substr(22) : line);
      start = end + 1;
    }
    return messages;
  }

  FakeTimer& ServiceTimer() { return *timer_; }

  TempDir dir;
  ManualClock clock;
  FixedRegionalFormat regionalFormat;
  FakeFileAttributes fileAttributes;
  // The platform's own log files, with the service's own folder in the temporary directory.
  std::unique_ptr<LogFileSystem> logFiles = MakeLogFileSystem(dir.File("service-logs") + kSeparator, LogFileDistrust);
  FakeCompanionWindow companionWindow;
  InMemoryRegistry registry;  // every access object of the service works on this one tree
  std::shared_ptr<FakeTimePageFetcher> sharedFetcher = std::make_shared<FakeTimePageFetcher>();
  FakeTimePageFetcher& timePageFetcher = *sharedFetcher;
  RecordingClockSetter clockSetter;
  RuleTimeZones timeZones;
  FakeProcessSource processSource;
  FakeAccountControl accounts;
  FakeSessionControl sessions;
  PlatformHmacSha1 hmac;
  FakeRequestServers requestServers;
  ServicePlatform platform;
  std::vector<std::string> reportedExceptions;
  int timerInterval = 0;
  std::unique_ptr<THourwarden> service;
  TestWorkers workers;  // last, so that the threads of a test end before anything else goes

 private:
  FakeTimer* timer_ = nullptr;
};

// Cycle steps that record the order of calls; a time check has finished when it starts unless
// holdTimeChecks is set (then it waits in heldChecks for the test to finish it); the
// synchronisation results come from a queue (false once the queue is empty), and a success
// confirms the clock's time as it is. Each step also writes a debug line named after it, so the
// tests can see where in the log the steps ran.
class StepRecorder {
 public:
  CycleSteps Steps() {
    CycleSteps steps;
    steps.startTimeCheck = [this](ServiceState& service) {
      Recorder("StartTimeCheck")(service);
      auto check = std::make_shared<PendingTimeCheck>();
      if (holdTimeChecks)
        heldChecks.push_back(check);
      else
        check->Finish({});
      return check;
    };
    steps.syncInternetTime = [this](ServiceState& service, const TimeCheckResult&) {
      Recorder("SyncInternetTime")(service);
      if (syncResults.empty()) return false;
      const bool result = syncResults.front();
      syncResults.pop_front();
      const Clock& clock = *service.Platform().clock;
      if (result) ConfirmTime(service, clock.UtcNow(), clock.TickMilliseconds());
      return result;
    };
    steps.loadSettings = Recorder("LoadSettings");
    steps.readSpentTimes = Recorder("ReadSpentTimes");
    steps.writeSpentTimes = Recorder("WriteSpentTimes");
    steps.updateSpentTimes = [this](ServiceState& service) {
      Recorder("UpdateSpentTimes")(service);
      return 0;
    };
    steps.evaluateRestrictions = Recorder("EvaluateRestrictions");
    steps.evaluateAtConfirmedTime = Recorder("EvaluateAtConfirmedTime");
    steps.unblockAllUsers = Recorder("UnblockAllUsers");
    steps.blockAllUsers = Recorder("BlockAllUsers");
    steps.updateProcessList = Recorder("UpdateProcessList");
    steps.checkLogoffFlags = Recorder("CheckLogoffFlags");
    steps.minuteRefresh = [this](ServiceState& service) {
      Recorder("MinuteRefresh")(service);
      if (throwInMinuteRefresh) throw std::runtime_error("refresh failed");
    };
    return steps;
  }

  int Count(const std::string& name) const {
    int count = 0;
    for (const std::string& call : calls) count += call == name;
    return count;
  }

  std::vector<std::string> calls;
  std::deque<bool> syncResults;
  bool holdTimeChecks = false;
  std::vector<std::shared_ptr<PendingTimeCheck>> heldChecks;
  bool throwInMinuteRefresh = false;

 private:
  std::function<void(ServiceState&)> Recorder(std::string name) {
    return [this, name](ServiceState& service) {
      calls.push_back(name);
      WriteLog(service, 0, "step " + name);
    };
  }
};
