#include "session/warning_schedule.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using ::testing::ElementsAre;

// The marks warned of, reading after reading.
std::vector<int> WarningsFor(WarningSchedule& schedule, const std::vector<std::optional<int>>& readings) {
  std::vector<int> warned;
  for (const std::optional<int>& minutesLeft : readings)
    if (const std::optional<int> mark = schedule.Update(minutesLeft)) warned.push_back(*mark);
  return warned;
}

TEST(WarningScheduleTest, EachMarkWarnsOnceAsTheMinutesRunOut) {
  WarningSchedule schedule;
  std::vector<std::optional<int>> readings;
  for (int left = 30; left >= 0; --left) {
    readings.push_back(left);
    readings.push_back(left);  // several polls a minute
  }
  EXPECT_THAT(WarningsFor(schedule, readings), ElementsAre(15, 5, 1));
}

TEST(WarningScheduleTest, MarksPassedTogetherGiveOneWarning) {
  WarningSchedule schedule;
  EXPECT_THAT(WarningsFor(schedule, {3, 3, 2, 1, 0}), ElementsAre(5, 1));
  WarningSchedule lateStart;
  EXPECT_THAT(WarningsFor(lateStart, {0, 0}), ElementsAre(1));
}

TEST(WarningScheduleTest, NoLimitInSightWarnsOfNothing) {
  WarningSchedule schedule;
  EXPECT_THAT(WarningsFor(schedule, {std::nullopt, 600, 16, std::nullopt}), ElementsAre());
}

TEST(WarningScheduleTest, MinutesClimbingBackArmTheMarksAgain) {
  WarningSchedule schedule;
  // A raised allowance gives time back; a new day takes the limit away altogether.
  EXPECT_THAT(WarningsFor(schedule, {14, 4, 40, 14, 1, std::nullopt, 15}), ElementsAre(15, 5, 15, 1, 15));
  WarningSchedule reset;
  EXPECT_THAT(WarningsFor(reset, {14}), ElementsAre(15));
  reset.Reset();
  EXPECT_THAT(WarningsFor(reset, {14}), ElementsAre(15));
}

}  // namespace
