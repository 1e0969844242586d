#pragma once

#include <memory>
#include <mutex>
#include <optional>

#include "core/service_state.h"
#include "service/cycle_steps.h"
#include "service/service_base.h"

// The service object: the one object that owns all state of the service. Its fields are those of
// ServiceState, on which the subsystems work (engine/, settings/, census/, timesync/, logging/).
// As a TService it is the service "Hourwarden" of the service host, with its handlers in the
// host's slots.
class THourwarden : public TService, public ServiceState {
 public:
  // Builds the object (service properties, fields, lists, MonthNames, debug level 3) and then
  // runs ServiceCreate; an exception from ServiceCreate goes to the exception handling.
  static std::unique_ptr<THourwarden> Create(const ServicePlatform& platform);
  // Runs ServiceDestroy (its exception goes to the exception handling), then releases everything.
  ~THourwarden();
  THourwarden(const THourwarden&) = delete;
  THourwarden& operator=(const THourwarden&) = delete;

  // Lifecycle handlers.
  void ServiceCreate();
  void ServiceStart(bool& Started);
  void ServiceExecute();
  void ServiceStop(bool& Stopped);
  void ServiceShutdown();
  void ServiceDestroy();
  void ServiceBeforeUninstall();
  // The handler of every tick of Timer1.
  void Timer1Timer();
  // The answer to a client of the pipe (engine/pipe_requests.h), given under HandlerMutex() so
  // that it never interleaves with a tick, a stop or a shutdown; after a stop, "unavailable".
  std::string AnswerPipeClient(const ClientRequest& request);

  void SetCycleStepsForTesting(CycleSteps steps) { steps_ = std::move(steps); }

 private:
  explicit THourwarden(const ServicePlatform& platform);
  void ReportException(const char* where);
  // The time checks (service/time_checks.cpp). One runs at a time, on a thread of its own, and no
  // handler ever waits for it: the ticks take its result, under the handler lock, once it is there.
  // Starts a check unless one is under way, and takes its result at once when it is already there
  // (TimeUrl none). Nothing while the check runs.
  std::optional<bool> CheckTime();
  // The result of the check under way once it has finished, acted on: true when the time is
  // confirmed. Nothing while the check runs or when none is under way.
  std::optional<bool> TakeTimeCheck();
  // The unsynchronised ticks: every restricted user is held back until a check confirms the time,
  // a new check 30 seconds after a failed one. The first confirmed time runs the start's day test
  // that waited for it.
  void UnconfirmedTick();
  // The minute cycle's check that the clock still keeps step with the confirmed time. When it
  // does not, the minute counts nothing: the time is unconfirmed, the restricted users are held
  // back, and the next tick checks the time again. True when the clock keeps step.
  bool ConfirmedTimeStillHolds();
  // The check of a confirmed time every few hours, which holds nobody back while it runs; one
  // that fails leaves the time confirmed and is made again a little later.
  void RecheckTimeWhenDue();

  // Makes the pipe of the requests for more time, when the platform has one and it is not made yet.
  void StartMoreTimeServer();
  // Ends it and joins its thread. Never called under HandlerMutex(): a request waiting for the
  // lock would keep the join waiting.
  void StopMoreTimeServer();

  CycleSteps steps_;
  // The time check under way, shared with its thread; none between checks.
  std::shared_ptr<PendingTimeCheck> timeCheck_;
  // Unsynchronised ticks, without a check under way, until the next check starts.
  int32_t ticksToTimeCheck_ = 0;
  // A new check 30 seconds after a failed one, and the held-back users looked at as often.
  static constexpr int32_t kTimeCheckRetryTicks = 15;
  // Ticks run on the main thread, ServiceStop and ServiceShutdown on the service thread, and
  // all of them work on the same fields. Each of the three holds HandlerMutex() for its whole
  // body, so a tick never interleaves with a stop or a shutdown: a tick that falls due while one
  // of them runs waits, then finds stopRequested_ set and does nothing, so a minute cycle can
  // never block accounts again after the stop has unblocked them. (A tick re-entered on the
  // main thread itself is turned away by CycleBusy before it reaches the lock.) Log appends and
  // flushes take LogBufferMutex() inside, never the other way round.
  bool stopRequested_ = false;
};
