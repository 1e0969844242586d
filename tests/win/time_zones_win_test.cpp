#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>

#include "base/date_time.h"
#include "platform/time_zones_suite.h"
#include "platform/time_zones_win.h"

namespace {

struct WindowsZonesBackend {
  const TimeZones& Zones() const { return zones; }
  WindowsTimeZones zones;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Windows, TimeZonesSuite, WindowsZonesBackend);

// The system's zone, converted by its key, shows what the system's local clock shows.
TEST(WindowsTimeZonesTest, TheSystemsZoneConvertsToTheLocalClock) {
  const WindowsTimeZones zones;
  const std::string key = zones.SystemZoneKey();
  ASSERT_FALSE(key.empty());
  SYSTEMTIME utc, local;
  GetSystemTime(&utc);
  GetLocalTime(&local);
  const CallResult<DateTimeParts> converted =
      zones.LocalTime(key, {utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond, 0});
  ASSERT_TRUE(converted.Ok()) << converted.Failure();
  const double shown = EncodeDateTime({local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond, 0});
  EXPECT_LE(std::fabs(EncodeDateTime(converted.Value()) - shown) * 86400, 2.0) << key;
}

}  // namespace
