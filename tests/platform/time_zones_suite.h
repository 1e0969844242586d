#pragma once

// The behaviour every TimeZones implementation shares, written once and instantiated for each:
// natively for the zones converted by their rules (the service's tests run on them), under Wine
// for the machine's own zones. A backend gives the suite its zones:
//   const TimeZones& Zones();

#include <gtest/gtest.h>

#include "base/date_time.h"
#include "platform/time_zones.h"

template <class Backend>
class TimeZonesSuite : public ::testing::Test {
 protected:
  Backend backend;
};

TYPED_TEST_SUITE_P(TimeZonesSuite);

TYPED_TEST_P(TimeZonesSuite, ConvertsByTheZonesRulesForTheYear) {
  struct Case {
    const char* zone;
    DateTimeParts utc;
    DateTimeParts local;
  };
  const Case cases[] = {
      // Tokyo keeps nine hours east all year.
      {"Tokyo Standard Time", {2026, 12, 8, 15, 30, 0, 0}, {2026, 12, 9, 0, 30, 0, 0}},
      {"Tokyo Standard Time", {2026, 7, 1, 0, 0, 0, 0}, {2026, 7, 1, 9, 0, 0, 0}},
      {"tokyo standard time", {2026, 7, 1, 0, 0, 0, 0}, {2026, 7, 1, 9, 0, 0, 0}},
      // On the last Sunday of March, at 01:00 UTC, the clocks of Central Europe go from 02:00 to
      // 03:00: no local time between them exists ...
      {"W. Europe Standard Time", {2026, 3, 29, 0, 59, 30, 0}, {2026, 3, 29, 1, 59, 30, 0}},
      {"W. Europe Standard Time", {2026, 3, 29, 1, 0, 30, 0}, {2026, 3, 29, 3, 0, 30, 0}},
      // ... and on the last Sunday of October they go from 03:00 back to 02:00: that hour comes twice.
      {"W. Europe Standard Time", {2026, 10, 25, 0, 30, 0, 0}, {2026, 10, 25, 2, 30, 0, 0}},
      {"W. Europe Standard Time", {2026, 10, 25, 1, 30, 0, 0}, {2026, 10, 25, 2, 30, 0, 0}},
      {"W. Europe Standard Time", {2026, 10, 25, 2, 0, 0, 0}, {2026, 10, 25, 3, 0, 0, 0}},
      // The rules of the year: 2027's last Sunday of March is the 28th.
      {"W. Europe Standard Time", {2027, 3, 28, 1, 0, 0, 0}, {2027, 3, 28, 3, 0, 0, 0}},
      // A zone east of UTC on its last evening of the year is in the next year already.
      {"Tokyo Standard Time", {2026, 12, 31, 15, 0, 0, 0}, {2027, 1, 1, 0, 0, 0, 0}},
      // West of UTC: the second Sunday of March, 02:00 Pacific standard time is 10:00 UTC.
      {"Pacific Standard Time", {2026, 3, 8, 9, 59, 0, 0}, {2026, 3, 8, 1, 59, 0, 0}},
      {"Pacific Standard Time", {2026, 3, 8, 10, 0, 0, 0}, {2026, 3, 8, 3, 0, 0, 0}},
      // In the south the summer spans New Year.
      {"AUS Eastern Standard Time", {2026, 1, 15, 0, 0, 0, 0}, {2026, 1, 15, 11, 0, 0, 0}},
      {"AUS Eastern Standard Time", {2026, 7, 15, 0, 0, 0, 0}, {2026, 7, 15, 10, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + " " + FormatLogTimestamp(EncodeDateTime(c.utc), ":") + " UTC");
    const CallResult<DateTimeParts> time = this->backend.Zones().LocalTime(c.zone, c.utc);
    ASSERT_TRUE(time.Ok()) << time.Failure();
    EXPECT_EQ(FormatLogTimestamp(EncodeDateTime(time.Value()), ":"), FormatLogTimestamp(EncodeDateTime(c.local), ":"));
  }
}

TYPED_TEST_P(TimeZonesSuite, ANameThatIsNoZoneOfTheMachineGivesNoTime) {
  for (const char* name : {"No Such Standard Time", "..\\Time Zones\\Tokyo Standard Time", ""}) {
    SCOPED_TRACE(name);
    const CallResult<DateTimeParts> time = this->backend.Zones().LocalTime(name, {2026, 12, 8, 12, 0, 0, 0});
    ASSERT_FALSE(time.Ok());
    EXPECT_FALSE(time.Failure().empty());
  }
}

REGISTER_TYPED_TEST_SUITE_P(TimeZonesSuite, ConvertsByTheZonesRulesForTheYear,
                            ANameThatIsNoZoneOfTheMachineGivesNoTime);
