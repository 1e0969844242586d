#include <gtest/gtest.h>

#include "fakes/manual_clock.h"
#include "fakes/rule_time_zones.h"
#include "platform/time_zones_suite.h"

namespace {

struct RuleZonesBackend {
  const TimeZones& Zones() const { return zones; }
  RuleTimeZones zones;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Rules, TimeZonesSuite, RuleZonesBackend);

TEST(ZoneNameProblemTest, TakesOnlyTextsThatCanNameAZoneKey) {
  for (const std::string& name : {std::string("W. Europe Standard Time"), std::string("UTC-11"), std::string(kMaxZoneKeyLength, 'x')})
    EXPECT_FALSE(ZoneNameProblem(name).has_value()) << name;
  for (const std::string& name : {std::string(), std::string(kMaxZoneKeyLength + 1, 'x'), std::string("..\\Run"),
                                 std::string("Tokyo\tStandard Time"), std::string("Z\xc3\xbcrich")})
    EXPECT_TRUE(ZoneNameProblem(name).has_value()) << name;
}

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
