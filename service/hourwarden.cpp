#include "service/hourwarden.h"

#include <exception>
#include <stdexcept>

#include "core/installation.h"
#include "core/service_time.h"
#include "engine/pipe_requests.h"
#include "logging/logs.h"
#include "parentcode/more_time_protocol.h"
#include "base/date_time.h"
#include "base/scope_guard.h"
#include "settings/settings_loader.h"

THourwarden::THourwarden(const ServicePlatform& platform)
    : TService(kServiceName), ServiceState(platform), steps_(ServiceCycleSteps()) {
  DisplayName = kServiceName;
  AllowPause = false;
  WaitHint = 2000;
  OnCreate = [this](TService*) { ServiceCreate(); };
  OnDestroy = [this](TService*) { ServiceDestroy(); };
  OnStart = [this](TService*, bool& started) { ServiceStart(started); };
  OnExecute = [this](TService*) { ServiceExecute(); };
  OnStop = [this](TService*, bool& stopped) { ServiceStop(stopped); };
  OnShutdown = [this](TService*) { ServiceShutdown(); };
  BeforeUninstall = [this](TService*) { ServiceBeforeUninstall(); };
  Timer1 = Platform().makeTimer(2000, [this] { Timer1Timer(); });
  AppPath.clear();
  CycleNow = 0;
  DebugLevel = 3;
  MonthNames.Clear();
  for (const char* month : {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"})
    MonthNames.Add(month);
}

std::unique_ptr<THourwarden> THourwarden::Create(const ServicePlatform& platform) {
  if (const std::vector<std::string> missing = MissingRequiredSeams(platform); !missing.empty()) {
    std::string names;
    for (const std::string& name : missing) names += (names.empty() ? "" : ", ") + name;
    throw std::invalid_argument("The service cannot be built without its platform's " + names);
  }
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
  StopMoreTimeServer();
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
  // A timer that cannot tick would leave a service that says it runs and counts nothing.
  if (Timer1) {
    const CallResult<> timerReady = Timer1->Readiness();
    if (!timerReady) throw std::runtime_error(timerReady.Failure());
  }
  // First of all, so that no other program can take the pipe's name; its requests wait for the
  // lock, which is held until the start is done.
  StartMoreTimeServer();
  // The check runs on a thread of its own: the start never waits for a site, and until a tick
  // takes a result that confirms the time every restricted user is held back.
  timeCheck_.reset();
  ticksToTimeCheck_ = kTimeCheckRetryTicks;
  TimeSynced = CheckTime().value_or(false);
  TickCount = 0;
  CycleNow = ServiceLocalNow(*this);
  DayIndex = WeekdayIndex(CycleNow);
  steps_.loadSettings(*this);
  steps_.readSpentTimes(*this);
  // A clock that is not confirmed may show any day: the day test waits for the first confirmed
  // time (THourwarden::UnconfirmedTick), so no count is reset on a wrong date.
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
  StopMoreTimeServer();
  // A stop that fails leaves the service running, and then it serves the requests again.
  ScopeGuard serveAgain([this] { StartMoreTimeServer(); });
  std::lock_guard lock(HandlerMutex());
  stopRequested_ = true;
  ScopeGuard resumeTicksIfStopFails([this] { stopRequested_ = false; });
  WriteLogAt(*this, 2, "Stopping service");
  steps_.writeSpentTimes(*this);
  steps_.unblockAllUsers(*this);
  FlushLogs(*this);
  TrimLogs(*this);
  WriteLogAt(*this, 2, "Service stopped");
  resumeTicksIfStopFails.Dismiss();
  serveAgain.Dismiss();
  Stopped = true;
}

void THourwarden::ServiceShutdown() {
  StopMoreTimeServer();
  std::lock_guard lock(HandlerMutex());
  stopRequested_ = true;  // the service thread ends after a shutdown even when it fails
  WriteLogAt(*this, 2, "Service shutdown");
  steps_.writeSpentTimes(*this);
  // Windows goes down, and what starts next may not be this service (Safe Mode, a disabled
  // service): every restricted account stays blocked until a run of the service decides again,
  // which holds everyone back until the time is confirmed anyway.
  steps_.blockAllUsers(*this);
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
  LoggedOnSessions.clear();
}

void THourwarden::ServiceDestroy() {
  StopMoreTimeServer();
  WriteLogAt(*this, 2, "Service destroyed");
  FlushLogs(*this);
}

void THourwarden::ServiceBeforeUninstall() {
  if (Platform().companionWindow) Platform().companionWindow->CloseWindowTitled(kCompanionWindowTitle);
}

std::string THourwarden::AnswerPipeClient(const ClientRequest& request) {
  std::lock_guard lock(HandlerMutex());
  if (stopRequested_) return FormatMoreTimeAnswer({AnswerKind::kUnavailable, 0, {}});
  return AnswerClient(*this, request);
}

void THourwarden::StartMoreTimeServer() {
  if (!Platform().makeRequestServer || MoreTimeServer) return;
  // The failures come from the server's thread, and from this one while a start holds the handler
  // lock: WriteLogAt takes only the log buffer's own lock.
  MoreTimeServer = Platform().makeRequestServer(
      [this](const ClientRequest& request) { return AnswerPipeClient(request); },
      [this](const std::string& failure) { WriteLogAt(*this, 1, "ERROR: " + failure); });
}

void THourwarden::StopMoreTimeServer() { MoreTimeServer.reset(); }
