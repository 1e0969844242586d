#include "service/hourwarden.h"

#include <exception>
#include <stdexcept>

#include "core/service_time.h"
#include "logging/logs.h"
#include "platform/date_time.h"
#include "settings/settings_loader.h"

namespace {

// Clears a flag on every exit of a scope, the exceptional ones included.
class FlagReset {
 public:
  explicit FlagReset(bool& flag) : flag_(flag) {}
  ~FlagReset() {
    if (armed_) flag_ = false;
  }
  void Disarm() { armed_ = false; }

 private:
  bool& flag_;
  bool armed_ = true;
};

}  // namespace

THourwarden::THourwarden(const ServicePlatform& platform)
    : TService("Hourwarden"), ServiceState(platform), steps_(ServiceCycleSteps()) {
  DisplayName = "Hourwarden";
  AllowPause = false;
  WaitHint = 2000;
  OnCreate = [this](TService*) { ServiceCreate(); };
  OnDestroy = [this](TService*) { ServiceDestroy(); };
  OnStart = [this](TService*, bool& started) { ServiceStart(started); };
  OnExecute = [this](TService*) { ServiceExecute(); };
  OnStop = [this](TService*, bool& stopped) { ServiceStop(stopped); };
  OnShutdown = [this](TService*) { ServiceShutdown(); };
  BeforeUninstall = [this](TService*) { ServiceBeforeUninstall(); };
  if (Platform().makeTimer) Timer1 = Platform().makeTimer(2000, [this] { Timer1Timer(); });
  AppPath.clear();
  CycleNow = 0;
  DebugLevel = 3;
  MonthNames.Clear();
  for (const char* month : {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"})
    MonthNames.Add(month);
}

std::unique_ptr<THourwarden> THourwarden::Create(const ServicePlatform& platform) {
  std::unique_ptr<THourwarden> service(new THourwarden(platform));
  try {
    if (service->OnCreate) service->OnCreate(service.get());
  } catch (...) {
    service->ReportException("ServiceCreate");
  }
  return service;
}

THourwarden::~THourwarden() {
  try {
    if (OnDestroy) OnDestroy(this);
  } catch (...) {
    ReportException("ServiceDestroy");
  }
  if (Timer1) Timer1->SetEnabled(false);
}

void THourwarden::ReportException(const char* where) {
  std::string message;
  try {
    throw;
  } catch (const std::exception& error) {
    message = error.what();
  } catch (...) {
    message = std::string("Unknown exception in ") + where;
  }
  if (Platform().reportException) Platform().reportException(message);
}

void THourwarden::ServiceCreate() {
  // Every line is stamped in the administrator's zone, the first ones included.
  LoadTimeZone(*this);
  WriteLogAt(*this, 2, "Creating service");
  CycleBusy = 0;
  TimeSynced = false;
  TickCount = 0;
  WriteLogAt(*this, 2, "Service created");
}

void THourwarden::ServiceStart(bool& Started) {
  std::lock_guard lock(HandlerMutex());
  WriteLogAt(*this, 2, "Starting service");
  TimeSynced = steps_.syncInternetTime(*this, {});  // no stop can come before the start ends
  TickCount = 0;
  CycleNow = ServiceLocalNow(*this);
  DayIndex = WeekdayIndex(CycleNow);
  steps_.loadSettings(*this);
  steps_.readSpentTimes(*this);
  // A clock that is not confirmed may show any day: the day test waits for the first confirmed
  // time (THourwarden::CheckTimeUnlocked), so no count is reset on a wrong date.
  DayTestPending = !TimeSynced;
  if (TimeSynced) steps_.updateSpentTimes(*this);
  steps_.evaluateRestrictions(*this);
  WriteLogAt(*this, 2, "Service started");
  LastCycleClock = Platform().clock->CalendarSeconds();
  stopRequested_ = false;
  Started = true;
}

void THourwarden::ServiceExecute() {
  ServiceRequestLoop* requests = RequestLoop();
  if (requests == nullptr)
    throw std::logic_error("ServiceExecute needs the host's request loop, and none is attached");
  WriteLogAt(*this, 2, "Executing service");
  if (Timer1) Timer1->SetEnabled(true);
  while (!requests->Terminated()) requests->ProcessRequests(true);
  if (Timer1) Timer1->SetEnabled(false);
  WriteLogAt(*this, 3, "Service execution stopped");
}

void THourwarden::ServiceStop(bool& Stopped) {
  std::lock_guard lock(HandlerMutex());
  stopRequested_ = true;
  FlagReset resumeTicksIfStopFails(stopRequested_);
  WriteLogAt(*this, 2, "Stopping service");
  steps_.writeSpentTimes(*this);
  steps_.unblockAllUsers(*this);
  FlushLogs(*this);
  TrimLogs(*this);
  WriteLogAt(*this, 2, "Service stopped");
  resumeTicksIfStopFails.Disarm();
  Stopped = true;
}

void THourwarden::ServiceShutdown() {
  std::lock_guard lock(HandlerMutex());
  stopRequested_ = true;  // the service thread ends after a shutdown even when it fails
  WriteLogAt(*this, 2, "Service shutdown");
  steps_.writeSpentTimes(*this);
  FlushLogs(*this);
  TrimLogs(*this);
  MonthNames.Clear();
  {
    std::lock_guard buffers(LogBufferMutex());
    DebugLines.Clear();
    ProcessEvents.Clear();
  }
  RestrictedUsers.Clear();
  DayLimits.clear();
  DayFilters.clear();
  SpentTimes.clear();
  CurrentProcesses.Clear();
  PreviousProcesses.Clear();
  LoggedOnUsers.Clear();
}

void THourwarden::ServiceDestroy() {
  WriteLogAt(*this, 2, "Service destroyed");
  FlushLogs(*this);
}

void THourwarden::ServiceBeforeUninstall() {
  if (Platform().companionWindow) Platform().companionWindow->CloseWindowTitled(kCompanionWindowTitle);
}
