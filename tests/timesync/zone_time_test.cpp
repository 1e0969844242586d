#include <gtest/gtest.h>

#include "timesync/zone_time.h"

namespace {

using Period = TimeZoneReading::Period;

TimeZoneReading Zone(Period period, int bias, int standardBias, int daylightBias) {
  TimeZoneReading reading;
  reading.period = period;
  reading.bias = bias;
  reading.standardBias = standardBias;
  reading.daylightBias = daylightBias;
  return reading;
}

TEST(ZoneOffsetMinutesTest, NegatesTheBiasOfThePeriodInForce) {
  struct Case {
    const char* name;
    TimeZoneReading zone;
    std::optional<int64_t> offset;
  };
  const Case cases[] = {
      {"failed query", Zone(Period::Failed, -60, 0, -60), std::nullopt},
      {"central Europe, standard", Zone(Period::Standard, -60, 0, -60), 60},
      {"central Europe, daylight", Zone(Period::Daylight, -60, 0, -60), 120},
      {"zero bias, daylight", Zone(Period::Daylight, 0, 0, -60), 60},
      {"US east, standard", Zone(Period::Standard, 300, 0, -60), -300},
      {"US east, daylight", Zone(Period::Daylight, 300, 0, -60), -240},
      {"a standard bias of its own", Zone(Period::Standard, 300, 15, -60), -315},
      {"India, no daylight saving", Zone(Period::Unknown, -330, 0, 0), 330},
      {"no daylight saving ignores the period biases", Zone(Period::Unknown, 180, 20, -60), -180},
  };
  for (const Case& c : cases) EXPECT_EQ(ZoneOffsetMinutes(c.zone), c.offset) << c.name;
}

TEST(UtcToLocalTest, CarriesAcrossEveryBoundary) {
  struct Case {
    const char* name;
    DateTimeParts utc;
    int offset;
    DateTimeParts local;
  };
  const Case cases[] = {
      {"same day", {2026, 12, 8, 3, 34, 30, 0}, 60, {2026, 12, 8, 4, 34, 30, 0}},
      {"UTC+1 into the next day", {2026, 12, 8, 23, 30, 0, 0}, 60, {2026, 12, 9, 0, 30, 0, 0}},
      {"UTC-5 into the previous day", {2026, 12, 8, 2, 0, 0, 0}, -300, {2026, 12, 7, 21, 0, 0, 0}},
      {"UTC+5:30 carrying the minutes", {2026, 12, 8, 10, 45, 0, 0}, 330, {2026, 12, 8, 16, 15, 0, 0}},
      {"UTC+5:30 without a carry", {2026, 12, 8, 10, 15, 0, 0}, 330, {2026, 12, 8, 15, 45, 0, 0}},
      {"UTC-3:30 borrowing the minutes", {2026, 12, 8, 10, 15, 7, 0}, -210, {2026, 12, 8, 6, 45, 7, 0}},
      {"into the next month", {2026, 4, 30, 22, 0, 0, 0}, 180, {2026, 5, 1, 1, 0, 0, 0}},
      {"31 December into 1 January", {2026, 12, 31, 23, 30, 0, 0}, 60, {2027, 1, 1, 0, 30, 0, 0}},
      {"1 January into 31 December", {2027, 1, 1, 0, 30, 0, 0}, -60, {2026, 12, 31, 23, 30, 0, 0}},
      {"28 February into 1 March, common year", {2026, 2, 28, 23, 0, 0, 0}, 120, {2026, 3, 1, 1, 0, 0, 0}},
      {"28 February into 29 February, leap year", {2028, 2, 28, 23, 0, 0, 0}, 120, {2028, 2, 29, 1, 0, 0, 0}},
      {"1 March back to 29 February", {2028, 3, 1, 0, 30, 0, 0}, -60, {2028, 2, 29, 23, 30, 0, 0}},
      {"1 March back to 28 February", {2026, 3, 1, 0, 30, 0, 0}, -60, {2026, 2, 28, 23, 30, 0, 0}},
      {"UTC+14 across the date line", {2026, 12, 31, 10, 0, 59, 0}, 840, {2027, 1, 1, 0, 0, 59, 0}},
      {"UTC-12", {2026, 1, 1, 11, 59, 0, 0}, -720, {2025, 12, 31, 23, 59, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto local = UtcToLocal(c.utc, c.offset);
    ASSERT_TRUE(local.has_value());
    EXPECT_EQ(EncodeDateTime(*local), EncodeDateTime(c.local))
        << FormatLogTimestamp(EncodeDateTime(*local), ":");
  }
  EXPECT_FALSE(UtcToLocal({9999, 12, 31, 23, 30, 0, 0}, 60).has_value());
}

TEST(ToSystemTimeRecordTest, FillsTheRecordWithSundayAsZero) {
  EXPECT_EQ(ToSystemTimeRecord({2026, 12, 8, 4, 34, 30, 250}), (SystemTimeRecord{2026, 12, 2, 8, 4, 34, 30, 0}));
  EXPECT_EQ(ToSystemTimeRecord({2026, 12, 13, 0, 0, 0, 0}).dayOfWeek, 0);  // a Sunday
  EXPECT_EQ(ToSystemTimeRecord({2026, 12, 12, 0, 0, 0, 0}).dayOfWeek, 6);  // a Saturday
}

}  // namespace
