// Timer1Timer: the 2000 ms tick that drives all periodic work of the service.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "core/service_time.h"
#include "logging/counted_lines.h"
#include "logging/logs.h"
#include "base/date_time.h"
#include "base/scope_guard.h"
#include "service/hourwarden.h"
#include "timesync/time_confirmation.h"

namespace {

constexpr int kMinuteCycleTicks = 30;
constexpr float kNominalCycleSeconds = 60.0f;

}  // namespace

void THourwarden::Timer1Timer() {
  if (CycleBusy == 1) {
    WriteLogAt(*this, 3, "Timer thread already running");
    return;
  }
  std::lock_guard lock(HandlerMutex());
  if (stopRequested_) return;

  TickCount = TickCount + 1;
  // Cleared however the tick ends, so that a tick ended by an exception does not leave every
  // later tick turned away.
  CycleBusy = 1;
  const ScopeGuard notBusy([this] { CycleBusy = 0; });

  if (!TimeSynced) {
    UnconfirmedTick();
    return;
  }

  // A check of the confirmed time that failed leaves it confirmed, and is made again later.
  if (TakeTimeCheck() == false) PostponeTimeRecheck(*this);
  CycleNow = ServiceLocalNow(*this);
  DayIndex = WeekdayIndex(CycleNow);
  steps_.updateProcessList(*this);

  if (TickCount != 0 && TickCount % kMinuteCycleTicks == 0) {
    TickCount = 0;
    CycleClock = Platform().clock->CalendarSeconds();
    // Count the seconds by which the last minute cycle exceeded a minute (negative when it was
    // shorter) as ticks, so the minute cycles stay in step with the wall clock.
    const double elapsed = static_cast<double>(static_cast<int64_t>(CycleClock) - LastCycleClock);
    TickCount = static_cast<int32_t>(TickCount + elapsed - kNominalCycleSeconds);
    WriteLogAt(*this, 4, "Tocks synchronization:" + std::to_string(TickCount));
    if (ConfirmedTimeStillHolds()) {
      steps_.minuteRefresh(*this);
      steps_.evaluateRestrictions(*this);
    }
    LastCycleClock = CycleClock;
    RecheckTimeWhenDue();
  }

  WriteDueCountedLines(*this);
  FlushLogs(*this);
}

void THourwarden::UnconfirmedTick() {
  std::optional<bool> confirmed = TakeTimeCheck();
  if (!confirmed && !timeCheck_ && --ticksToTimeCheck_ <= 0) {
    WriteLogAt(*this, 3, "Synchronization with internet time");
    confirmed = CheckTime();
  }
  if (confirmed == true) {
    TimeSynced = true;
    TickCount = 0;
    CycleNow = ServiceLocalNow(*this);
    DayIndex = WeekdayIndex(CycleNow);
    if (DayTestPending) {
      DayTestPending = false;
      // The start's day test runs as at the start, before any census: the users the unconfirmed
      // ticks found logged on must not make it count a minute that the next minute cycle counts
      // again. (Should it fail, the next census finds them again.)
      StringList loggedOn;
      std::swap(loggedOn, LoggedOnUsers);
      steps_.updateSpentTimes(*this);
      std::swap(loggedOn, LoggedOnUsers);
    }
    // The users are judged at once by the confirmed time, not a minute later: a free user gets the
    // logon hours back, and the logoff request that the unconfirmed time alone raised is withdrawn.
    steps_.evaluateAtConfirmedTime(*this);
    return;
  }
  if (confirmed == false) ticksToTimeCheck_ = kTimeCheckRetryTicks;
  // Every restricted user is held back, so one who is logged on must be asked to log off and,
  // when the request goes unheeded, logged off: on the first tick, after each failed check and
  // every 30 seconds however long a check takes, the census says who is logged on and the users
  // are evaluated; once a minute the requests are followed up as in a minute cycle. The logs are
  // written too, as nothing else would write them while the time stays unconfirmed.
  if (confirmed != false && TickCount != 1 && TickCount % kTimeCheckRetryTicks != 0) return;
  CycleNow = ServiceLocalNow(*this);
  DayIndex = WeekdayIndex(CycleNow);
  steps_.updateProcessList(*this);
  if (TickCount % kMinuteCycleTicks == 0) steps_.checkLogoffFlags(*this);
  steps_.evaluateRestrictions(*this);
  WriteDueCountedLines(*this);
  FlushLogs(*this);
}
