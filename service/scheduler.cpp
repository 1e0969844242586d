// Timer1Timer: the 2000 ms tick that drives all periodic work of the service.

#include <cstdint>
#include <string>

#include "core/service_time.h"
#include "logging/counted_lines.h"
#include "logging/logs.h"
#include "platform/date_time.h"
#include "service/hourwarden.h"

namespace {

constexpr int kSyncRetryTicks = 15;
constexpr int kMinuteCycleTicks = 30;
constexpr float kNominalCycleSeconds = 60.0f;

// Clears CycleBusy however the tick ends, so that a tick ended by an exception does not leave
// every later tick turned away.
class BusyFlag {
 public:
  explicit BusyFlag(std::atomic<int32_t>& flag) : flag_(flag) { flag_ = 1; }
  ~BusyFlag() { flag_ = 0; }

 private:
  std::atomic<int32_t>& flag_;
};

}  // namespace

void THourwarden::Timer1Timer() {
  if (CycleBusy == 1) {
    WriteLogAt(*this, 3, "Timer thread already running");
    return;
  }
  std::unique_lock lock(HandlerMutex());
  if (stopRequested_) return;

  TickCount = TickCount + 1;
  BusyFlag busy(CycleBusy);

  if (!TimeSynced) {
    if (TickCount % kSyncRetryTicks != 0) return;
    WriteLogAt(*this, 3, "Synchronization with internet time");
    TimeSynced = CheckTimeUnlocked(lock);
    if (stopRequested_) return;  // the stop came during the fetch and has done its work
    if (TimeSynced) {
      TickCount = 0;
      return;
    }
    // Every restricted user is held back now, so one who is logged on must be asked to log off
    // and, when the request goes unheeded, logged off: the census says who is logged on, and once
    // a minute the requests are followed up as in a minute cycle. The logs are written too, as
    // nothing else would write them while the time stays unconfirmed.
    CycleNow = ServiceLocalNow(*this);
    DayIndex = WeekdayIndex(CycleNow);
    steps_.updateProcessList(*this);
    if (TickCount % kMinuteCycleTicks == 0) steps_.checkLogoffFlags(*this);
    steps_.evaluateRestrictions(*this);
    WriteDueCountedLines(*this);
    FlushLogs(*this);
    return;
  }

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
    RecheckTimeWhenDue(lock);
    if (stopRequested_) return;
  }

  WriteDueCountedLines(*this);
  FlushLogs(*this);
}
