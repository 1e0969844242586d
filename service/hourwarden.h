#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/string_list.h"
#include "platform/timer.h"
#include "service/cycle_steps.h"
#include "service/service_base.h"
#include "service/service_platform.h"

// Title of the companion tool's window, which an uninstall asks to close.
inline constexpr char kCompanionWindowTitle[] = "Hourwarden - User loggoff tool";

// The service object: the one object that owns all state of the service. The subsystems are
// operations on its fields (engine/, settings/, census/, timesync/, logging/). As a TService it
// is the service "Hourwarden" of the service host, with its handlers in the host's slots.
class THourwarden : public TService {
 public:
  // Builds the object (service properties, fields, lists, MonthNames, debug level 3) and then
  // runs ServiceCreate; an exception from ServiceCreate goes to the exception handling.
  static std::unique_ptr<THourwarden> Create(const ServicePlatform& platform);
  // Runs ServiceDestroy (its exception goes to the exception handling), then releases everything.
  ~THourwarden();
  THourwarden(const THourwarden&) = delete;
  THourwarden& operator=(const THourwarden&) = delete;

  // Fields, in declaration order.
  std::unique_ptr<Timer> Timer1;  // 2000 ms, enabled only while ServiceExecute runs
  std::string AppPath;            // prefix of the log file names
  StringList LoggedOnUsers;       // distinct owners of the running processes
  int32_t DebugLevel = 3;
  bool TimeSynced = false;
  StringList MonthNames;          // "Jan" .. "Dec"
  StringList CurrentProcesses;
  StringList PreviousProcesses;
  StringList ProcessEvents;       // pending lines of process.log
  StringList DebugLines;          // pending lines of debug.log
  StringList RestrictedUsers;
  StringListTable DayFilters;     // per user: seven or more day filters, Monday first
  StringListTable DayLimits;      // per user: seven or more allowances in minutes, Monday first
  StringListTable SpentTimes;     // per user: minutes spent and the "dd.mm.yyyy" they belong to
  double CycleNow = 0;            // local date-time taken at the start of the cycle
  int32_t LastCycleClock = 0;     // calendar seconds at the end of the last minute cycle
  int32_t CycleClock = 0;         // calendar seconds at the start of this minute cycle
  int32_t TickCount = 0;
  std::atomic<int32_t> CycleBusy{0};
  int32_t DayIndex = 0;           // weekday of CycleNow, Monday 0 .. Sunday 6

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

  const ServicePlatform& Platform() const { return platform_; }
  // Guards DebugLines and ProcessEvents: appends and flushes come from more than one thread.
  std::mutex& LogBufferMutex() { return logBufferMutex_; }

  void SetCycleStepsForTesting(CycleSteps steps) { steps_ = std::move(steps); }

 private:
  explicit THourwarden(const ServicePlatform& platform);
  void ReportException(const char* where);

  ServicePlatform platform_;
  CycleSteps steps_;
  // Ticks run on the main thread, ServiceStop and ServiceShutdown on the service thread, and
  // all of them work on the same fields. Each of the three holds handlerMutex_ for its whole
  // body, so a tick never interleaves with a stop or a shutdown: a tick that falls due while one
  // of them runs waits, then finds stopRequested_ set and does nothing, so a minute cycle can
  // never block accounts again after the stop has unblocked them. (A tick re-entered on the
  // main thread itself is turned away by CycleBusy before it reaches the lock.) Log appends and
  // flushes take logBufferMutex_ inside, never the other way round.
  std::mutex handlerMutex_;
  bool stopRequested_ = false;
  std::mutex logBufferMutex_;
};
