#include "settingsapp/week_grid.h"

#include <gtest/gtest.h>

namespace {

std::array<std::string, kDaysInWeek> Week(const std::string& monday, const std::string& tuesday = "") {
  return {monday, tuesday, "", "", "", "", ""};
}

struct PaintCase {
  const char* stored;
  int from, to;
  bool restricted;
  const char* written;
  bool notice;
};

TEST(WeekGridTest, PaintingAndErasingRunsOfCellsGivesTheFilter) {
  const PaintCase cases[] = {
      {"", 32, 35, true, "08:00 09:00", false},                         // 08:00-09:00 painted
      {"", 35, 32, true, "08:00 09:00", false},                         // dragged backwards
      {"", 92, 95, true, "23:00 24:00", false},                         // up to midnight
      {"08:00 10:00", 40, 43, true, "08:00 11:00", false},              // joins the run before
      {"08:00 10:00", 34, 35, false, "08:00 08:30 09:00 10:00", false}, // erased in the middle
      {"08:00 10:00", 32, 39, false, "", false},                        // erased whole
      {"00:00 24:00", 0, 0, false, "00:15 24:00", false},
      {"08:05 09:50", 0, 0, true, "00:00 00:15 08:00 10:00", true},     // rounded out, told
      {"08:00 09:00 07:00", 80, 80, true, "08:00 09:00 20:00 20:15", false},  // a lone last time
      {"", -5, 200, true, "00:00 24:00", false},                        // clipped to the day
  };
  for (const PaintCase& c : cases) {
    WeekGrid grid(Week(c.stored, "12:07 12:08"));
    grid.Paint(0, 0, c.from, c.to, c.restricted);
    EXPECT_EQ(grid.Filter(0), c.written) << c.stored;
    EXPECT_EQ(!grid.RoundingNotice().empty(), c.notice) << c.stored;
    // The day not edited keeps its stored text, though it is off the quarter hours.
    EXPECT_EQ(grid.Filter(1), "12:07 12:08");
  }
}

TEST(WeekGridTest, ShowsEachMinuteAsTheServiceReadsIt) {
  // 24:00 as an end, a tab inside (one token for the service) and times out of order.
  WeekGrid grid({"22:00 24:00", "10:00\t11:00 12:00", "09:00 08:00 10:00 11:00", "", "", "", ""});
  EXPECT_TRUE(grid.Restricted(0, 95));
  EXPECT_FALSE(grid.Restricted(0, 87));
  // "10:00\t11:00" is one time to the service, after 10:00 and before 10:01.
  EXPECT_FALSE(grid.Restricted(1, 39));
  EXPECT_TRUE(grid.Restricted(1, 40));
  EXPECT_TRUE(grid.NeedsRounding(1));
  EXPECT_FALSE(grid.Restricted(1, 48));
  // Out of order: from 09:00 the walk passes 09:00 and 08:00 and stops free at 10:00.
  EXPECT_FALSE(grid.Restricted(2, 36));
  EXPECT_TRUE(grid.Restricted(2, 40));
  EXPECT_FALSE(grid.NeedsRounding(0));
  EXPECT_TRUE(WeekGrid(Week("08:00 08:01")).NeedsRounding(0));
  EXPECT_TRUE(WeekGrid(Week("08:00 08:01")).Restricted(0, 32));
}

TEST(WeekGridTest, ARectangleDragEditsEveryDayItCrosses) {
  WeekGrid grid(Week("08:10 08:20"));
  grid.Paint(2, 0, 4, 5, true);
  EXPECT_EQ(grid.Filter(0), "01:00 01:30 08:00 08:30");
  for (int day = 1; day < 3; ++day) EXPECT_EQ(grid.Filter(day), "01:00 01:30") << day;
  EXPECT_FALSE(grid.Edited(3));
  EXPECT_EQ(grid.RoundingNotice(),
            "The restricted periods of Monday did not begin and end on quarter hours: they are saved rounded out "
            "to whole quarter hours, as the grid shows them.");
}

}  // namespace
