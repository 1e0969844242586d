#include "platform/utc_clock_win.h"

#include <windows.h>

namespace {

// FILETIME counts 100 ns intervals from 1601-01-01; these are the seconds from then to 1970-01-01.
constexpr int64_t kIntervalsPerSecond = 10'000'000;
constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;

}  // namespace

int64_t WindowsUtcClock::UtcSeconds() const {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const int64_t intervals = (static_cast<int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return intervals / kIntervalsPerSecond - kSecondsFrom1601To1970;
}
