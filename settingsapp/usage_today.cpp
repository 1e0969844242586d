#include "settingsapp/usage_today.h"

#include <algorithm>

#include "configuration/validation.h"
#include "engine/day_filter.h"
#include "base/date_time.h"

namespace {

std::string HoursAndMinutes(int32_t minutes) {
  const int32_t hours = minutes / 60, rest = minutes % 60;
  if (hours == 0) return std::to_string(rest) + " min";
  return std::to_string(hours) + " h" + (rest == 0 ? "" : " " + std::to_string(rest) + " min");
}

// An allowance the service can run out of: a whole day or more never does.
std::optional<int32_t> Limiting(std::optional<int32_t> allowance) {
  if (allowance && *allowance >= kMinutesPerDay) return std::nullopt;
  return allowance;
}

}  // namespace

TodaySummary SummaryOf(const UserValues& values, double now) {
  TodaySummary summary;
  const CountingDay counting = CountingDayOf(values, now);
  summary.usedToday = counting.minutes;
  summary.countsOnLaterDate = counting.date > LedgerDateOf(now);
  summary.allowance = AllowanceOn(values, counting.date);
  summary.timeLeft = ComputeTimeLeft(values, now);
  summary.restrictedNow = WalkDayFilter(DayFiltersOf(values)[WeekdayIndex(now)], FilterTimeText(now)).restricted;
  summary.logoffPending = LogoffOf(values) != 0;
  return summary;
}

std::vector<std::string> SummaryLines(const TodaySummary& summary) {
  std::vector<std::string> lines;
  std::string used = "Used today: " + HoursAndMinutes(summary.usedToday);
  const std::optional<int32_t> allowance = Limiting(summary.allowance);
  if (allowance) used += " of " + HoursAndMinutes(*allowance);
  if (summary.countsOnLaterDate) used += " (counted on a later day: the clock was once set ahead)";
  lines.push_back(used);
  if (!summary.allowance)
    lines.push_back("Left: no limit the service can count with today (see the allowance)");
  else if (!allowance)
    lines.push_back("Left: no limit today");
  else
    lines.push_back("Left: " + HoursAndMinutes(std::max<int32_t>(0, *allowance - summary.usedToday)));
  lines.push_back(summary.restrictedNow ? "A restricted period runs now." : "No restricted period runs now.");
  if (summary.logoffPending) lines.push_back("The service is asking the account to stop.");
  return lines;
}

UsageChart ChartOf(const UserValues& values, double now) {
  UsageChart chart;
  const DayLedger ledger = LedgerOf(values, now).ledger;
  const int32_t today = LedgerDateOf(now);
  const auto bar = [&](int32_t date, int32_t minutes) {
    ChartDay day{date, minutes, Limiting(AllowanceOn(values, date))};
    chart.largest = std::max({chart.largest, minutes, day.allowance.value_or(0)});
    return day;
  };
  for (int32_t date = today - kChartDays + 1; date <= today; ++date) {
    const auto found = ledger.minutes.find(date);
    chart.days.push_back(bar(date, found == ledger.minutes.end() ? 0 : found->second));
  }
  for (auto found = ledger.minutes.upper_bound(today); found != ledger.minutes.end(); ++found)
    chart.ahead.push_back(bar(found->first, found->second));
  return chart;
}
