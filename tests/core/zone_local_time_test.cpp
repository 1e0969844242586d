#include "core/zone_local_time.h"

#include <gtest/gtest.h>

#include "fakes/manual_clock.h"
#include "fakes/rule_time_zones.h"

namespace {

// Without a zone of its own (or with one that fails), the local time is the system's.
TEST(LocalTimeInTest, TakesTheZoneElseTheSystemsOffset) {
  ManualClock clock;
  clock.SetSystemZoneOffset(-300);
  clock.SetUtc({2026, 12, 8, 15, 30, 0, 0});
  RuleTimeZones zones;
  const double utc = EncodeDateTime({2026, 7, 1, 0, 0, 0, 0});
  EXPECT_EQ(FormatLogTimestamp(LocalTimeIn(clock, &zones, "Tokyo Standard Time", utc), ":"), "01.07.2026 09:00:00");
  for (const char* zone : {"", "No Such Standard Time"})
    EXPECT_EQ(FormatLogTimestamp(LocalTimeIn(clock, &zones, zone, utc), ":"), "30.06.2026 19:00:00") << zone;
  EXPECT_EQ(FormatLogTimestamp(LocalNowIn(clock, &zones, "Tokyo Standard Time"), ":"), "09.12.2026 00:30:00");
  EXPECT_EQ(LocalNowIn(clock, nullptr, "Tokyo Standard Time"), clock.Now());
}

}  // namespace
