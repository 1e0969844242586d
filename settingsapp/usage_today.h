#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/time_left.h"
#include "settings/user_values.h"

// What the settings window shows of how an account used the computer: today as the service
// judges it, and the minutes of the last four weeks from the ledger of days.

// How many days the chart shows, today included.
inline constexpr int kChartDays = 28;

// Today, read from the user's values at the local date-time now (in the service's time zone).
struct TodaySummary {
  int32_t usedToday = 0;                // minutes counted on the date minutes count on now
  std::optional<int32_t> allowance;     // that date's allowance; nothing when none can be counted
  bool countsOnLaterDate = false;       // the minutes count on a date after today (time borrowed)
  TimeLeft timeLeft;                    // what is left, and whether the user is held back now
  bool restrictedNow = false;           // a restricted period runs now
  bool logoffPending = false;           // the service asks the user to stop
};

TodaySummary SummaryOf(const UserValues& values, double now);
// The summary for the parent, one line each: used, left, the restricted period, the request.
std::vector<std::string> SummaryLines(const TodaySummary& summary);

// One bar of the chart.
struct ChartDay {
  int32_t date = 0;                    // days since 1899-12-30
  int32_t minutes = 0;                 // 0 for a date the ledger does not hold
  std::optional<int32_t> allowance;    // the weekday's allowance, nothing for no limit
};

struct UsageChart {
  std::vector<ChartDay> days;   // the last 28 days, oldest first, today last
  std::vector<ChartDay> ahead;  // dates after today that hold minutes (a clock once set ahead)
  int32_t largest = 0;          // the largest minutes or allowance marked, for the scale
};

UsageChart ChartOf(const UserValues& values, double now);
