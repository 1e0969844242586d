#include "session/session_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(SessionTextsTest, DurationsReadAsHoursAndMinutes) {
  const struct {
    int minutes;
    const char* text;
  } cases[] = {{0, "0 min"}, {1, "1 min"}, {59, "59 min"}, {60, "1 h"}, {61, "1 h 1 min"}, {840, "14 h"}};
  for (const auto& c : cases) EXPECT_EQ(DurationText(c.minutes), c.text) << c.minutes;
}

TEST(SessionTextsTest, TheTrayTipSaysWhatEndsTheDay) {
  TimeLeft left;
  EXPECT_EQ(TrayTipText(left), "Hourwarden: no limit for the rest of today");
  left.minutesLeft = 90;
  left.reason = HoldReason::kAllowance;
  EXPECT_EQ(TrayTipText(left), "Hourwarden: 1 h 30 min left today");
  left.reason = HoldReason::kRestrictedPeriod;
  left.restrictionStart = "21:00";
  EXPECT_EQ(TrayTipText(left), "Hourwarden: 1 h 30 min left today (not allowed from 21:00)");
  left.heldBackNow = true;
  left.minutesLeft = 0;
  EXPECT_EQ(TrayTipText(left), "Hourwarden: no computer time left now");
}

}  // namespace
