#pragma once

#include <array>
#include <bitset>
#include <string>

#include "settings/stored_formats.h"

// The week of one account as the settings window shows it: 7 days of 96 quarter hours, each cell
// restricted or free, filled from the day filters the service reads and turned back into them.
// A day the parent does not touch keeps its stored filter byte for byte, even when its periods do
// not fall on quarter hours; a touched day is written from its cells.

// The cells of one day: 24 hours of four quarters.
inline constexpr int kQuartersPerDay = 96;

class WeekGrid {
 public:
  WeekGrid() = default;
  // The grid of the seven filters (Monday first) as the service reads them: a cell is restricted
  // when any minute of it is, so rounding never frees a minute that was restricted.
  explicit WeekGrid(const std::array<std::string, kDaysInWeek>& filters);

  // Whether the quarter hour (0 = 00:00-00:15) of the day is restricted.
  bool Restricted(int day, int quarter) const { return cells_[day][quarter]; }
  // Paints (restricted) or erases the cells of the days firstDay..lastDay between the two quarters,
  // both included, in either order: a drag from one cell to another. Cells outside the week are
  // left out.
  void Paint(int firstDay, int lastDay, int fromQuarter, int toQuarter, bool restricted);
  // Whether the day was painted or erased since the grid was filled.
  bool Edited(int day) const { return edited_[day]; }
  // Whether the stored filter of the day restricts other minutes than its cells show (periods not
  // on quarter hours): writing the day rounds them.
  bool NeedsRounding(int day) const { return inexact_[day]; }
  // The filter to store for the day: the stored text when untouched, else its restricted runs as
  // "HH:mm HH:mm" pairs (24:00 ends a run at midnight).
  std::string Filter(int day) const;
  // The sentence telling the parent which edited days had periods rounded to quarter hours;
  // empty when none was.
  std::string RoundingNotice() const;

 private:
  std::array<std::bitset<kQuartersPerDay>, kDaysInWeek> cells_{};
  std::array<std::string, kDaysInWeek> stored_{};
  std::array<bool, kDaysInWeek> edited_{};
  std::array<bool, kDaysInWeek> inexact_{};
};

// "HH:mm" of the quarter hour's start (quarter 96 is "24:00").
std::string QuarterTime(int quarter);
