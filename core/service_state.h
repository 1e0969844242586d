#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/code_record.h"
#include "core/day_ledger.h"
#include "core/known_processes.h"
#include "core/service_platform.h"
#include "core/session_presence.h"
#include "platform/request_server.h"
#include "base/string_list.h"
#include "platform/timer.h"

// All state of the service, in plain fields. The service object (service/hourwarden.h) is one;
// the subsystems (logging/, settings/, census/, timesync/, engine/) are operations on it and see
// nothing of the service host.
class ServiceState {
 public:
  explicit ServiceState(const ServicePlatform& platform) : platform_(platform) {}
  ServiceState(const ServiceState&) = delete;
  ServiceState& operator=(const ServiceState&) = delete;

  // Fields, in declaration order.
  std::unique_ptr<Timer> Timer1;  // 2000 ms, enabled only while ServiceExecute runs
  std::string AppPath;            // prefix of the log file names
  StringList LoggedOnUsers;       // distinct owners of the running processes
  // Per entry of LoggedOnUsers: the distinct sessions its processes run in, as the census found
  // them (kUnknownSession for a process whose session the system did not give).
  std::vector<std::vector<uint32_t>> LoggedOnSessions;
  int32_t DebugLevel = 3;
  bool TimeSynced = false;        // the time is confirmed (false again while a moved clock is checked)
  StringList MonthNames;          // "Jan" .. "Dec"
  StringList CurrentProcesses;
  StringList PreviousProcesses;
  KnownProcessTable KnownProcesses;  // what the census learnt of each process when it first saw it
  KnownOwnerTable KnownOwners;       // the account names of the owners of KnownProcesses
  KnownSessionUserTable KnownSessionUsers;  // the users of the sessions of unreadable processes
  StringList ProcessEvents;       // pending lines of process.log
  StringList DebugLines;          // pending lines of debug.log
  StringList RestrictedUsers;
  StringListTable DayFilters;     // per user: seven or more day filters, Monday first
  StringListTable DayLimits;      // per user: seven or more allowances in minutes, Monday first
  StringListTable SpentTimes;     // per user: minutes spent and the "dd.mm.yyyy" they belong to
  // Per user, same index: the minutes of every date counted in the last 62 days. A user past its
  // end has an empty ledger (it then holds only the count of SpentTimes).
  std::vector<DayLedger> SpentDays;
  double CycleNow = 0;            // local date-time taken at the start of the cycle
  int32_t LastCycleClock = 0;     // calendar seconds at the end of the last minute cycle
  int32_t CycleClock = 0;         // calendar seconds at the start of this minute cycle
  int32_t TickCount = 0;
  std::atomic<int32_t> CycleBusy{0};
  int32_t DayIndex = 0;           // weekday of CycleNow, Monday 0 .. Sunday 6

  // Set when a load of the settings failed: the next minute cycle loads them again.
  bool ReloadPending = false;
  // The product value ServiceLogoff: the service ends the sessions of a user who stays logged on
  // against the logoff request. On unless the value is 0.
  bool ServiceLogoff = true;
  // The product value CountLockedSessions: a minute counts for a user who owns a running process,
  // whatever the user's sessions are doing. Off (the value 0 only): it counts only while the user
  // uses the computer (SessionPresences).
  bool CountLockedSessions = true;
  // The product value EndSession: "lock" keeps the sessions of a held-back user, locked by the
  // session tool or disconnected by the service, with their programs open; otherwise (absent,
  // "logoff" or any other text) they are logged off.
  bool EndSessionLock = false;
  // The product value GraceMinutes: the minutes the grace to save one's work gives, once a day
  // (engine/save_grace.h); 5 when absent, 0: none.
  int32_t GraceMinutes = 5;
  // Per restricted user given the grace in this run: the tick count until which it runs.
  std::map<std::string, uint64_t> GraceUntil;
  // Per user with a session or a running process: the sessions the user is in and what each is
  // doing, learnt at every minute cycle before the minute is counted.
  SessionPresenceTable SessionPresences;
  // Per restricted user: the minutes in a row at which the user was found still logged on against
  // a raised logoff request. Kept in memory only.
  std::map<std::string, int> StillLoggedMinutes;
  // Per restricted user, by the name's folded letter case: the account's security identifier,
  // asked of Windows at the first need (engine/user_identity.h).
  std::map<std::string, std::string> UserSids;
  // Per restricted user: the date of the clock and the user's latest counted date after it for
  // which the debug log last said that the clock went back, so that it says so once per change.
  std::map<std::string, std::pair<int32_t, int32_t>> ClockBackNoted;

  // Where the logs are written and what could not be written.
  struct LogOutputState {
    std::optional<std::string> chosenFor;  // the AppPath the folder below was chosen for
    std::optional<std::string> prefix;     // the folder prefix of the log files; nothing: none
    int64_t droppedDebugLines = 0;         // dropped from a full DebugLines since the last write
    int64_t droppedProcessEvents = 0;      // the same for ProcessEvents
    std::string lastFailure;               // why the last flush failed, logged once
    std::string lastTrimFailure;           // why the last cut-back failed, logged once
  };
  LogOutputState LogOutput;

  // The administrator's time zone in force: the TimeZone value once found to name a zone of this
  // computer. Empty: the system's zone. Every local date and time the service decides on
  // (CycleNow, DayIndex, the log stamps) is taken in it (core/service_time.h).
  std::string TimeZone;
  // The time last confirmed from the internet: the UTC date-time and the tick count at that
  // moment. The time stays confirmed only while the clock keeps step with the tick count.
  struct ConfirmedTime {
    double utc = 0;
    uint64_t tick = 0;
  };
  ConfirmedTime LastConfirmedTime;
  // The tick count from which the confirmed time is checked against the internet again.
  uint64_t NextTimeCheckTick = 0;
  // Set by a start whose time check failed: the start's day test of the spent times waits for
  // the first confirmed time, so a clock that is wrong at boot cannot reset a count.
  bool DayTestPending = false;
  // The way in for requests of more time by a parent's code (the pipe), from the start of a run
  // until its stop or shutdown; its requests are answered under HandlerMutex().
  std::unique_ptr<RequestServer> MoreTimeServer;
  // Per restricted user, by the name in lower case: the parent's code record, read from the
  // user's key at the user's first request of a run and stored again after every change.
  std::map<std::string, CodeRecord> CodeRecords;
  // Lines any program can cause as often as it likes (about the pipe's clients), by kind: each
  // written at most once a minute, with the number that came meanwhile (logging/counted_lines.h).
  struct CountedLine {
    std::optional<uint64_t> writtenAtMs;  // the tick clock when a line of the kind was last written
    int64_t unwritten = 0;                // lines of the kind since, not written
    int level = 1;                        // the threshold of the kind's lines
    std::string text;                     // the latest of them
  };
  std::map<std::string, CountedLine> CountedLines;

  const ServicePlatform& Platform() const { return platform_; }
  // Held for the whole body of a tick, a stop and a shutdown (and of anything else that works
  // on the fields from another thread), so that none of them interleaves with another.
  std::mutex& HandlerMutex() { return handlerMutex_; }
  // Guards DebugLines and ProcessEvents: appends and flushes come from more than one thread.
  // Always taken inside HandlerMutex, never the other way round.
  std::mutex& LogBufferMutex() { return logBufferMutex_; }
  // Guards CountedLines; released before a line is written.
  std::mutex& CountedLinesMutex() { return countedLinesMutex_; }

 private:
  ServicePlatform platform_;
  std::mutex handlerMutex_;
  std::mutex logBufferMutex_;
  std::mutex countedLinesMutex_;
};
