#include "settingsapp/week_grid.h"

#include <algorithm>

#include "configuration/validation.h"
#include "engine/day_filter.h"

namespace {

constexpr int kMinutesPerQuarter = 15;

std::string TwoDigits(int value) { return std::string(1, char('0' + value / 10)) + char('0' + value % 10); }

}  // namespace

std::string QuarterTime(int quarter) {
  const int minutes = quarter * kMinutesPerQuarter;
  return TwoDigits(minutes / 60) + ":" + TwoDigits(minutes % 60);
}

WeekGrid::WeekGrid(const std::array<std::string, kDaysInWeek>& filters) : stored_(filters) {
  for (int day = 0; day < kDaysInWeek; ++day) {
    // Every minute as the service decides it, so a filter it misreads is shown as it acts.
    for (int quarter = 0; quarter < kQuartersPerDay; ++quarter) {
      int restrictedMinutes = 0;
      for (int minute = 0; minute < kMinutesPerQuarter; ++minute) {
        const int ofDay = quarter * kMinutesPerQuarter + minute;
        const std::string now = TwoDigits(ofDay / 60) + ":" + TwoDigits(ofDay % 60);
        if (WalkDayFilter(filters[day], now).restricted) ++restrictedMinutes;
      }
      cells_[day][quarter] = restrictedMinutes > 0;
      if (restrictedMinutes != 0 && restrictedMinutes != kMinutesPerQuarter) inexact_[day] = true;
    }
  }
}

void WeekGrid::Paint(int firstDay, int lastDay, int fromQuarter, int toQuarter, bool restricted) {
  const int dayLow = std::max(0, std::min(firstDay, lastDay));
  const int dayHigh = std::min(kDaysInWeek - 1, std::max(firstDay, lastDay));
  const int quarterLow = std::max(0, std::min(fromQuarter, toQuarter));
  const int quarterHigh = std::min(kQuartersPerDay - 1, std::max(fromQuarter, toQuarter));
  for (int day = dayLow; day <= dayHigh; ++day) {
    for (int quarter = quarterLow; quarter <= quarterHigh; ++quarter) cells_[day][quarter] = restricted;
    if (quarterLow <= quarterHigh) edited_[day] = true;
  }
}

std::string WeekGrid::Filter(int day) const {
  if (!edited_[day]) return stored_[day];
  std::string filter;
  for (int quarter = 0; quarter < kQuartersPerDay;) {
    if (!cells_[day][quarter]) {
      ++quarter;
      continue;
    }
    int end = quarter;
    while (end < kQuartersPerDay && cells_[day][end]) ++end;
    filter += (filter.empty() ? "" : " ") + QuarterTime(quarter) + " " + QuarterTime(end);
    quarter = end;
  }
  return filter;
}

std::string WeekGrid::RoundingNotice() const {
  std::string days;
  int count = 0;
  for (int day = 0; day < kDaysInWeek; ++day) {
    if (!edited_[day] || !inexact_[day]) continue;
    days += std::string(count == 0 ? "" : ", ") + kWeekdayNames[day];
    ++count;
  }
  if (count == 0) return "";
  return "The restricted periods of " + days +
         " did not begin and end on quarter hours: they are saved rounded out to whole quarter hours, as the grid "
         "shows them.";
}
