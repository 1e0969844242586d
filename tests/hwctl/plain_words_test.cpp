#include "hwctl/plain_words.h"

#include <gtest/gtest.h>

namespace {

TEST(PlainWordsTest, TellsTheWeekAsPeopleSayIt) {
  const struct {
    std::vector<int> minutes;
    const char* words;
  } weeks[] = {
      {{60, 60, 60, 60, 60, 1440, 1440}, "Monday to Friday 1 h, Saturday and Sunday no limit"},
      {{90, 90, 90, 90, 90, 90, 90}, "every day 1 h 30 min"},
      {{45, 0, 45, 45, 120, 1440, 30}, "Monday 45 min, Tuesday no time, Wednesday and Thursday 45 min, Friday 2 h, "
                                       "Saturday no limit, Sunday 30 min"},
  };
  for (const auto& week : weeks) EXPECT_EQ(WeekAllowanceWords(week.minutes), week.words);

  const struct {
    std::vector<int> days;
    const char* words;
  } days[] = {
      {{0, 1, 2, 3, 4, 5, 6}, "every day"}, {{2}, "Wednesday"}, {{5, 6}, "Saturday and Sunday"},
      {{0, 1, 2, 3, 4}, "Monday to Friday"}, {{0, 1, 4}, "Monday, Tuesday and Friday"},
  };
  for (const auto& row : days) EXPECT_EQ(DaysWords(row.days), row.words);
}

}  // namespace
