#include "hwctl/restriction_outlook.h"

#include <gtest/gtest.h>

#include "base/date_time.h"

namespace {

std::array<std::string, kDaysInWeek> EveryDay(const std::string& filter) {
  std::array<std::string, kDaysInWeek> filters;
  filters.fill(filter);
  return filters;
}

// Tuesday 8 December 2026 at the time of day.
double Tuesday(int hour, int minute) { return EncodeDateTime({2026, 12, 8, hour, minute, 0, 0}); }

TEST(RestrictionOutlookTest, FindsTheEndOfThePeriodNowAndTheNextStart) {
  const auto filters = EveryDay("08:00 12:00");
  const RestrictionOutlook during = OutlookOf(filters, Tuesday(10, 0));
  EXPECT_TRUE(during.restrictedNow);
  EXPECT_EQ(during.freeAt, (WeekMoment{0, 720}));
  EXPECT_EQ(during.nextStart, (WeekMoment{1, 480}));

  const RestrictionOutlook before = OutlookOf(filters, Tuesday(7, 59));
  EXPECT_FALSE(before.restrictedNow);
  EXPECT_FALSE(before.freeAt.has_value());
  EXPECT_EQ(before.nextStart, (WeekMoment{0, 480}));
}

TEST(RestrictionOutlookTest, APeriodRunningOnPastMidnightIsOnePeriod) {
  auto filters = EveryDay("");
  filters[1] = "21:00 24:00";              // Tuesday
  filters[2] = "00:00 07:00 21:00 24:00";  // Wednesday
  const RestrictionOutlook outlook = OutlookOf(filters, Tuesday(22, 30));
  EXPECT_TRUE(outlook.restrictedNow);
  EXPECT_EQ(outlook.freeAt, (WeekMoment{1, 420}));
  EXPECT_EQ(outlook.nextStart, (WeekMoment{1, 1260}));
}

// The outlook follows the service's text comparison, not the meaning the times seem to have.
TEST(RestrictionOutlookTest, FollowsTheServicesReadingOfMisreadFilters) {
  EXPECT_FALSE(OutlookOf(EveryDay("12:00 08:00"), Tuesday(10, 0)).nextStart.has_value());
  EXPECT_FALSE(OutlookOf(EveryDay("8:00 12:00"), Tuesday(10, 0)).nextStart.has_value());
}

TEST(RestrictionOutlookTest, FormatsMomentsFromToday) {
  EXPECT_EQ(FormatMoment({0, 1260}, 1), "21:00");
  EXPECT_EQ(FormatMoment({1, 0}, 1), "24:00");
  EXPECT_EQ(FormatMoment({2, 480}, 1), "Thu 08:00");
  EXPECT_EQ(FormatMoment({1, 5}, 6), "Mon 00:05");
}

}  // namespace
