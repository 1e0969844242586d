#include "core/general_date_time.h"

#include <gtest/gtest.h>

#include "core/fixed_regional_format.h"

namespace {

double At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return EncodeDateTime({y, mo, d, h, mi, s, 0}); }

TEST(GeneralDateTimeTest, LeavesTheTimeOutAtMidnight) {
  FixedRegionalFormat format;
  EXPECT_EQ(FormatGeneralDateTime(format, At(2026, 12, 8, 3, 34, 30)), "08.12.2026 03:34:30");
  EXPECT_EQ(FormatGeneralDateTime(format, At(2026, 12, 8)), "08.12.2026");
  EXPECT_EQ(FormatGeneralDateTime(format, At(2026, 12, 8, 0, 0, 1)), "08.12.2026 00:00:01");
}

}  // namespace
