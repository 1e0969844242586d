#include "service/service_base.h"

#include <exception>
#include <thread>

#include "base/scope_guard.h"
#include "service/host_messages.h"

namespace {

// The message of the exception being handled.
std::string CurrentExceptionMessage() {
  try {
    throw;
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return "Unknown exception";
  }
}

}  // namespace

TService::TService(std::string name) : Name(std::move(name)) {}

TService::~TService() = default;

uint32_t TService::ServiceTypeFlags(int servicesInProcess) const {
  uint32_t flags = servicesInProcess > 1 ? kServiceWin32ShareProcess : kServiceWin32OwnProcess;
  if (Interactive) flags |= kServiceInteractiveProcess;
  return flags;
}

ServiceStatusRecord TService::StatusRecord(TCurrentStatus state, uint32_t checkPoint) const {
  ServiceStatusRecord record;
  record.serviceType = ServiceTypeFlags();
  record.currentState = static_cast<uint32_t>(state);
  if (state != TCurrentStatus::csStartPending) {
    record.controlsAccepted = kServiceAcceptShutdown;
    if (AllowStop) record.controlsAccepted |= kServiceAcceptStop;
    if (AllowPause) record.controlsAccepted |= kServiceAcceptPauseContinue;
  }
  if (ErrCode != 0) {
    record.win32ExitCode = kErrorServiceSpecificError;
    record.serviceSpecificExitCode = ErrCode;
  }
  record.checkPoint = checkPoint;
  record.waitHint = WaitHint;
  return record;
}

void TService::ReportStatus(TCurrentStatus state) {
  status_ = state;
  const ServiceStatusRecord record = StatusRecord(state, checkPoints_.Next(state));
  if (host_ == nullptr) return;
  if (const CallResult<> reported = host_->ReportStatus(record); !reported) LogMessage(reported.Failure());
}

void TService::LogMessage(const std::string& message) {
  if (host_ == nullptr) return;
  if (!eventLogger_) eventLogger_ = host_->CreateEventLogger(Name);
  eventLogger_->LogMessage(message);
}

void TService::Main(const std::vector<std::string>& args) {
  Params = args;
  ErrCode = 0;
  if (const CallResult<> registered = host_->RegisterControlHandler(Name, [this](uint32_t code) { Controller(code); });
      !registered) {
    LogMessage(registered.Failure());
    return;
  }
  ReportStatus(TCurrentStatus::csStartPending);
  try {
    TServiceThread thread(*this);
    // The control handler reaches the thread only while it exists: also when it cannot be
    // started, the pointers are cleared before the object goes.
    {
      std::lock_guard lock(threadMutex_);
      serviceThread_ = &thread;
      requestLoop_ = &thread;
    }
    const ScopeGuard detach([this] {
      std::lock_guard lock(threadMutex_);
      serviceThread_ = nullptr;
      requestLoop_ = nullptr;
    });
    std::thread worker = host_->StartThread([&thread] { thread.Execute(); });
    worker.join();
  } catch (...) {
    LogMessage(ServiceFailedOn("execute", CurrentExceptionMessage()));
    ErrCode = kExitExecuteFailed;
  }
  ReportStatus(TCurrentStatus::csStopped);
}

void TService::Controller(uint32_t code) {
  std::lock_guard lock(threadMutex_);
  if (serviceThread_ != nullptr && serviceThread_->PostRequest(code)) {
    serviceThread_->Resume();
    return;
  }
  ReportStatus(status_);
}

void TServiceThread::Execute() {
  try {
    {
      std::lock_guard lock(queueMutex_);
      queue_ = service_.host_->CreateRequestQueue();
    }
    service_.ReportStatus(TCurrentStatus::csStartPending);
    bool started = true;
    if (service_.OnStart) service_.OnStart(&service_, started);
    if (!started) return;
  } catch (...) {
    service_.LogMessage(ServiceFailedOn("start", CurrentExceptionMessage()));
    service_.ErrCode = kExitStartFailed;
    return;
  }
  try {
    service_.ReportStatus(TCurrentStatus::csRunning);
    if (service_.OnExecute)
      service_.OnExecute(&service_);
    else
      while (!Terminated()) ProcessRequests(true);
    ProcessRequests(false);
  } catch (...) {
    service_.LogMessage(ServiceFailedOn("execute", CurrentExceptionMessage()));
    service_.ErrCode = kExitExecuteFailed;
  }
}

bool TServiceThread::PostRequest(uint32_t code) {
  std::lock_guard lock(queueMutex_);
  return queue_ != nullptr && queue_->Post(code);
}

void TServiceThread::ProcessRequests(bool waitForMessage) {
  QueuedRequest request;
  while (!(Terminated() && waitForMessage)) {
    if (!queue_->Next(request, waitForMessage)) break;
    if (request.isControl)
      HandleControl(request.controlCode);
    else
      queue_->Dispatch(request);
  }
}

void TServiceThread::HandleControl(uint32_t code) {
  const TCurrentStatus remembered = service_.Status();
  try {
    bool result = true;
    switch (code) {
      case kServiceControlStop: {
        service_.ReportStatus(TCurrentStatus::csStopPending);
        bool stopped = true;
        if (service_.OnStop) service_.OnStop(&service_, stopped);
        if (stopped) Terminate();
        result = stopped;
        break;
      }
      case kServiceControlPause: {
        service_.ReportStatus(TCurrentStatus::csPausePending);
        bool paused = true;
        if (service_.OnPause) service_.OnPause(&service_, paused);
        if (paused) {
          service_.ReportStatus(TCurrentStatus::csPaused);
          WaitWhileSuspended();
        }
        result = paused;
        break;
      }
      case kServiceControlContinue: {
        service_.ReportStatus(TCurrentStatus::csContinuePending);
        bool continued = true;
        if (service_.OnContinue) service_.OnContinue(&service_, continued);
        if (continued) service_.ReportStatus(TCurrentStatus::csRunning);
        result = continued;
        break;
      }
      case kServiceControlInterrogate:
        service_.ReportStatus(service_.Status());
        break;
      case kServiceControlShutdown:
        service_.ReportStatus(TCurrentStatus::csStopPending);
        try {
          if (service_.OnShutdown) service_.OnShutdown(&service_);
        } catch (...) {
          Terminate();
          throw;
        }
        Terminate();
        break;
      default:
        break;
    }
    if (!result) service_.ReportStatus(remembered);
  } catch (...) {
    if (code != kServiceControlShutdown) service_.ReportStatus(remembered);
    service_.LogMessage(ControlFailureMessage(code, CurrentExceptionMessage()));
  }
}

void TServiceThread::WaitWhileSuspended() {
  std::unique_lock lock(suspendMutex_);
  suspended_ = true;
  resumed_.wait(lock, [this] { return !suspended_; });
}

void TServiceThread::Resume() {
  {
    std::lock_guard lock(suspendMutex_);
    suspended_ = false;
  }
  resumed_.notify_all();
}
