#include "engine/day_filter.h"

#include <gtest/gtest.h>

#include "settings/stored_formats.h"

namespace {

TEST(StoredFormatsTest, SplitAtSpacesOnlyAtTheSpaceCharacter) {
  EXPECT_EQ(SplitAtSpaces("90   120"), (StringList{"90", "120"}));
  EXPECT_EQ(SplitAtSpaces("  08:00 12:00  "), (StringList{"08:00", "12:00"}));
  EXPECT_EQ(SplitAtSpaces("08:00\t12:00"), (StringList{"08:00\t12:00"}));
  EXPECT_TRUE(SplitAtSpaces("").Empty());
  EXPECT_TRUE(SplitAtSpaces("    ").Empty());
}

TEST(StoredFormatsTest, ParseDecimal32AcceptsOnlyPlainIntegersThatFit) {
  EXPECT_EQ(ParseDecimal32("60"), 60);
  EXPECT_EQ(ParseDecimal32("-3"), -3);
  EXPECT_EQ(ParseDecimal32("2147483647"), 2147483647);
  EXPECT_EQ(ParseDecimal32("-2147483648"), INT32_MIN);
  for (const char* bad : {"", " 5", "5 ", "+5", "1.5", "12x", "abc", "2147483648", "0x10", "-"})
    EXPECT_FALSE(ParseDecimal32(bad).has_value()) << bad;
}

TEST(DayFilterTest, CompareBytesIsUnsignedAndShorterPrefixFirst) {
  EXPECT_LT(CompareBytes("07:59", "08:00"), 0);
  EXPECT_EQ(CompareBytes("08:00", "08:00"), 0);
  EXPECT_LT(CompareBytes("08:0", "08:00"), 0);
  EXPECT_LT(CompareBytes("23:59", "24:00"), 0);
  EXPECT_LT(CompareBytes("12:00", "\xC3\xA9"), 0);  // bytes above 127 sort last
}

TEST(DayFilterTest, PairsOfTimesAreRestrictedPeriodsStartIncludedEndExcluded) {
  struct Case {
    const char* filter;
    const char* now;
    bool restricted;
    bool stopped;
    int position;
  } cases[] = {
      {"08:00 12:00", "07:59", false, true, 0},
      {"08:00 12:00", "08:00", true, true, 1},
      {"08:00 12:00", "11:59", true, true, 1},
      {"08:00 12:00", "12:00", false, false, 2},
      {"00:00 07:00 21:00 24:00", "06:59", true, true, 1},
      {"00:00 07:00 21:00 24:00", "07:00", false, true, 2},
      {"00:00 07:00 21:00 24:00", "23:59", true, true, 3},
      {"22:00", "23:00", false, false, 1},
      {"22:00", "21:00", false, true, 0},
      {"", "10:00", false, false, 0},
      {"   ", "10:00", false, false, 0},
      {"12:00 08:00", "10:00", false, true, 0},
      {"12:00 08:00", "13:00", false, false, 2},
      {"8:00 12:00", "10:00", false, true, 0},
      {"8:00 12:00", "23:59", false, true, 0},
      {"08:00  12:00", "09:00", true, true, 1},
  };
  for (const Case& c : cases) {
    const FilterWalk walk = WalkDayFilter(c.filter, c.now);
    EXPECT_EQ(walk.restricted, c.restricted) << "'" << c.filter << "' at " << c.now;
    EXPECT_EQ(walk.stopped, c.stopped) << "'" << c.filter << "' at " << c.now;
    EXPECT_EQ(walk.position, c.position) << "'" << c.filter << "' at " << c.now;
  }
}

}  // namespace
