#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "service/service_control_host.h"
#include "service/service_request_loop.h"
#include "service/service_status.h"

class TService;
class TServiceThread;

// A service of its own process; driver types are not made by this program.
enum class TServiceType { stWin32 };
enum class TStartType { stBoot, stSystem, stAuto, stManual, stDisabled };
enum class TErrorSeverity { esIgnore, esNormal, esSevere, esCritical };

// A service this one depends on, by name, or a load-order group.
struct TDependency {
  std::string Name;
  bool IsGroup = false;
};
using TDependencies = std::vector<TDependency>;

using TNotifyEvent = std::function<void(TService* Sender)>;
using TServiceEvent = std::function<void(TService* Sender)>;
using TStartEvent = std::function<void(TService* Sender, bool& Started)>;
using TStopEvent = std::function<void(TService* Sender, bool& Stopped)>;
using TPauseEvent = std::function<void(TService* Sender, bool& Paused)>;
using TContinueEvent = std::function<void(TService* Sender, bool& Continued)>;

// The host's view of a service: its properties for the service control manager, its host-side
// state and status reports, the handler slots, and the service-main and control-handler entries.
class TService {
 public:
  explicit TService(std::string name);
  virtual ~TService();
  TService(const TService&) = delete;
  TService& operator=(const TService&) = delete;

  // Properties.
  std::string Name;         // the service name
  std::string DisplayName;  // the name shown to people; the service name when empty
  TServiceType ServiceType = TServiceType::stWin32;
  TStartType StartType = TStartType::stAuto;
  TErrorSeverity ErrorSeverity = TErrorSeverity::esNormal;
  bool Interactive = false;
  bool AllowStop = true;
  bool AllowPause = true;
  uint32_t WaitHint = 5000;
  TDependencies Dependencies;
  std::string LoadGroup;
  uint32_t TagID = 0;
  std::string ServiceStartName;  // empty: the local system account
  std::string Password;
  std::vector<std::string> Params;  // the start arguments
  // The service-specific exit code of the failure that ends the run (kExitStartFailed, ...); when
  // not 0, every report carries it with ERROR_SERVICE_SPECIFIC_ERROR.
  uint32_t ErrCode = 0;

  // Handler slots.
  TNotifyEvent OnCreate, OnDestroy;
  TStartEvent OnStart;
  TStopEvent OnStop;
  TPauseEvent OnPause;
  TContinueEvent OnContinue;
  TServiceEvent OnExecute, OnShutdown;
  TServiceEvent BeforeInstall, AfterInstall, BeforeUninstall, AfterUninstall;

  // The host's platform; set before the service is run by the service control manager.
  void AttachHost(ServiceControlHost* host) { host_ = host; }
  // The service name as the service control manager shows it.
  std::string ShownName() const { return DisplayName.empty() ? Name : DisplayName; }
  // The service type flags given at installation.
  uint32_t ServiceTypeFlags(int servicesInProcess = 1) const;

  TCurrentStatus Status() const { return status_; }
  // Makes the state current and reports it with the check-point rule; a failed report goes to
  // the event log.
  void ReportStatus(TCurrentStatus state);
  // The record that a report of the state sends, with the given check point.
  ServiceStatusRecord StatusRecord(TCurrentStatus state, uint32_t checkPoint) const;
  // Writes a message to the event log under the service name.
  void LogMessage(const std::string& message);

  // The service-main entry: registers the control handler, reports start pending, runs the
  // service thread to its end and reports stopped.
  void Main(const std::vector<std::string>& args);
  // The control handler: forwards the code to the service thread, or, when there is none,
  // answers with the current state.
  void Controller(uint32_t code);
  // The loop that processes the control requests while the service runs (the service thread,
  // or one a test attaches).
  ServiceRequestLoop* RequestLoop() const { return requestLoop_; }
  void AttachRequestLoop(ServiceRequestLoop* loop) { requestLoop_ = loop; }

 private:
  friend class TServiceThread;
  ServiceControlHost* host_ = nullptr;
  std::unique_ptr<EventLogger> eventLogger_;
  TCurrentStatus status_ = TCurrentStatus::csStopped;
  CheckPointCounter checkPoints_;
  ServiceRequestLoop* requestLoop_ = nullptr;
  std::mutex threadMutex_;  // guards serviceThread_ against the control handler
  TServiceThread* serviceThread_ = nullptr;
};

// The service thread: runs the start and execute handlers and the control requests forwarded to
// its message queue.
class TServiceThread : public ServiceRequestLoop {
 public:
  explicit TServiceThread(TService& service) : service_(service) {}

  // The thread's body: start, running, execute, then the requests still queued.
  void Execute();
  bool Terminated() const override { return terminated_; }
  void Terminate() { terminated_ = true; }
  void ProcessRequests(bool waitForMessage) override;
  // Queues a control code for the thread (control handler thread); false when there is no queue.
  bool PostRequest(uint32_t code);
  // Lets a paused thread go on.
  void Resume();

 private:
  void HandleControl(uint32_t code);
  void WaitWhileSuspended();

  TService& service_;
  std::mutex queueMutex_;
  std::unique_ptr<RequestQueue> queue_;
  bool terminated_ = false;
  std::mutex suspendMutex_;
  std::condition_variable resumed_;
  bool suspended_ = false;
};
