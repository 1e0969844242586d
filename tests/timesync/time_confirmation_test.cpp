#include "timesync/time_confirmation.h"

#include <gtest/gtest.h>

#include "fakes/service_fixture.h"

namespace {

// The clock may drift up to two minutes from the tick count in either direction; beyond, it
// was moved, which is said once at level 1.
TEST(ConfirmedTimeTest, IsBelievedWhileTheClockKeepsStepWithTheTickCount) {
  const struct {
    int64_t clockMs;  // how far the clock went since the confirmation
    int64_t tickMs;   // how far the tick count went
    bool believed;
    const char* line;
  } cases[] = {
      {60'000, 60'000, true, nullptr},
      {6 * 3600'000, 6 * 3600'000 + 120'000, true, nullptr},
      {120'000, 0, true, nullptr},
      {0, 120'000, true, nullptr},
      {120'001, 0, false, "ERROR: The clock was moved 2 minutes ahead while the service ran; nothing is counted until the time is confirmed again"},
      {60'000 - 3 * 3600'000, 60'000, false, "ERROR: The clock was moved 180 minutes back while the service ran; nothing is counted until the time is confirmed again"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.clockMs) + " " + std::to_string(c.tickMs));
    ServiceFixture fixture;
    THourwarden& service = fixture.Build();
    service.DebugLevel = 1;
    service.DebugLines.Clear();
    ConfirmTime(service, fixture.clock.UtcNow(), fixture.clock.TickMilliseconds());
    fixture.clock.AdvanceSeconds(static_cast<int>(c.tickMs / 1000));
    fixture.clock.SetUtc(service.LastConfirmedTime.utc + static_cast<double>(c.clockMs) / 86'400'000.0);
    EXPECT_EQ(ConfirmedTimeBelievable(service), c.believed);
    if (c.line)
      EXPECT_EQ(fixture.BufferedMessages(), std::vector<std::string>{c.line});
    else
      EXPECT_TRUE(fixture.BufferedMessages().empty());
  }
}

}  // namespace
