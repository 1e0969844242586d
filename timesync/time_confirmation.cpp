#include "timesync/time_confirmation.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "logging/logs.h"

namespace {

constexpr double kMillisecondsPerDay = 86'400'000;

}  // namespace

void ConfirmTime(ServiceState& service, double utc, uint64_t tick) {
  service.LastConfirmedTime = {utc, tick};
  service.NextTimeCheckTick = tick + kTimeRecheckMs;
}

int64_t ClockMovedMilliseconds(const ServiceState::ConfirmedTime& confirmed, double utcNow, uint64_t tickNow) {
  const int64_t byClock = std::llround((utcNow - confirmed.utc) * kMillisecondsPerDay);
  const int64_t byTicks = static_cast<int64_t>(tickNow - confirmed.tick);
  return byClock - byTicks;
}

bool ConfirmedTimeBelievable(ServiceState& service) {
  const Clock& clock = *service.Platform().clock;
  const int64_t moved = ClockMovedMilliseconds(service.LastConfirmedTime, clock.UtcNow(), clock.TickMilliseconds());
  if (std::llabs(moved) <= kClockStepToleranceMs) return true;
  const int64_t minutes = std::llabs(moved) / 60'000;
  WriteLogAt(service, 1, "ERROR: The clock was moved " + std::to_string(minutes) + " minutes " +
                             (moved > 0 ? "ahead" : "back") +
                             " while the service ran; nothing is counted until the time is confirmed again");
  return false;
}

bool TimeRecheckDue(const ServiceState& service) {
  return service.Platform().clock->TickMilliseconds() >= service.NextTimeCheckTick;
}

void PostponeTimeRecheck(ServiceState& service) {
  service.NextTimeCheckTick = service.Platform().clock->TickMilliseconds() + kTimeRecheckRetryMs;
}
