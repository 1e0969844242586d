#include "hwctl/reports.h"

#include <algorithm>
#include <optional>

#include "configuration/validation.h"
#include "hwctl/restriction_outlook.h"
#include "base/date_time.h"
#include "base/utf8_text.h"
#include "settings/settings_loader.h"

namespace {

constexpr char kUnknown[] = "?";
constexpr char kSeeCheck[] = "some values are misread; hwctl check names them";

// The allowance in minutes, nothing for a text that is not a decimal integer.
std::optional<int32_t> Allowance(const std::string& stored) { return ParseDecimal32(stored); }

std::string AllowanceText(const std::optional<int32_t>& minutes) {
  if (!minutes) return kUnknown;
  return *minutes >= kMinutesPerDay ? "unlimited" : std::to_string(*minutes);
}

std::string LeftText(const std::optional<int32_t>& allowance, const std::optional<int32_t>& spent) {
  if (!allowance || !spent) return kUnknown;
  if (*allowance >= kMinutesPerDay) return "-";
  if (*spent > *allowance) return "0, over";
  return std::to_string(*allowance - *spent);
}

std::string LogoffText(const StoredNumber& logoff) {
  if (!logoff.typeError.empty()) return kUnknown;
  return logoff.present && logoff.number != 0 ? "requested" : "no";
}

std::string Heading(double now) {
  return std::string(kWeekdayNames[WeekdayIndex(now)]) + " " + FormatStoredDate(now) + " " +
         FormatTimeOfDay(now, ":") + "\n";
}

std::vector<std::string> UserRow(const StoredUser& user, double now) {
  if (!user.readable) return {user.name, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown};
  const int today = WeekdayIndex(now);
  // The minutes of the date they count on now, against that date's allowance, as the service
  // counts them: the clock's date, or the latest one counted when the clock went back before it.
  const CountingDay counting = CountingDayOf(user, now);
  const std::optional<int32_t> allowance = AllowanceOn(user, counting.date);
  const std::optional<int32_t> spent = counting.minutes;
  std::string restrictedNow = kUnknown;
  std::string nextPeriod = kUnknown;
  if (const auto filters = EffectiveFilters(user)) {
    const RestrictionOutlook outlook = OutlookOf(*filters, now);
    if (!outlook.restrictedNow)
      restrictedNow = "no";
    else
      restrictedNow = outlook.freeAt ? "until " + FormatMoment(*outlook.freeAt, today) : "all week";
    nextPeriod = outlook.nextStart ? FormatMoment(*outlook.nextStart, today) : "none";
  }
  return {user.name,
          AllowanceText(allowance),
          spent ? std::to_string(*spent) : kUnknown,
          LeftText(allowance, spent),
          restrictedNow,
          nextPeriod,
          LogoffText(user.logoff)};
}

// The minutes counted on each date of the last 14 days that was counted (a day missing: the
// computer was off), then on every date after today: minutes counted while the clock was ahead,
// which that day continues.
std::string RecentDaysText(const StoredUser& user, double now) {
  constexpr int32_t kShownDays = 14;
  const std::string heading = "Minutes counted, last " + std::to_string(kShownDays) + " days:";
  const DayLedger ledger = LedgerOf(user, now).ledger;
  const int32_t today = LedgerDateOf(now);
  std::vector<std::vector<std::string>> rows = {{"Date", "Minutes"}};
  for (auto day = ledger.minutes.lower_bound(today - (kShownDays - 1)); day != ledger.minutes.end(); ++day) {
    rows.push_back({ShortWeekdayName(WeekdayIndex(day->first)) + " " + LedgerDateText(day->first),
                    std::to_string(day->second)});
    if (day->first == today) rows.back().push_back("today");
    if (day->first > today) rows.back().push_back("after today: counted while the clock was ahead");
  }
  return rows.size() == 1 ? heading + " none\n" : heading + "\n" + FormatTable(rows);
}

std::string PeriodsText(const std::string& filter) {
  if (!DayFilterProblems(filter).empty()) return "\"" + filter + "\" (misread)";
  const std::vector<std::string> periods = PeriodsOfFilter(filter);
  if (periods.empty()) return "none";
  std::string text;
  for (const std::string& period : periods) text += (text.empty() ? "" : " ") + period;
  return text;
}

}  // namespace

std::string FormatTable(const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> widths;
  for (const auto& row : rows) {
    if (widths.size() < row.size()) widths.resize(row.size(), 0);
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], CharacterCount(row[i]));
  }
  std::string text;
  for (const auto& row : rows) {
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) {
      line += row[i];
      if (i + 1 < row.size()) line += std::string(widths[i] - CharacterCount(row[i]) + 2, ' ');
    }
    text += line + "\n";
  }
  return text;
}

std::string ListReport(const StoredConfiguration& configuration, double now, const std::string& zoneLine) {
  std::string text = Heading(now) + zoneLine;
  if (configuration.users.empty()) {
    text += configuration.restrictionsKeyExists && !configuration.restrictionsReadable
                ? "The restricted users cannot be read.\n"
                : "No restricted users. Add one with: hwctl add USER\n";
  } else {
    std::vector<std::vector<std::string>> rows = {
        {"User", "Allowance", "Spent", "Left", "Restricted now", "Next period", "Logoff"}};
    std::string notes;
    for (const StoredUser& user : configuration.users) {
      rows.push_back(UserRow(user, now));
      if (!FindUserProblems(user).empty()) notes += user.name + ": " + kSeeCheck + ".\n";
    }
    text += FormatTable(rows) + notes;
  }
  const StoredNumber& reload = configuration.product.readSettings;
  if (reload.present && reload.typeError.empty() && reload.number != 0)
    text += "A reload is pending: the service applies the settings at its next minute.\n";
  return text;
}

std::string ShowReport(const StoredUser& user, double now, const std::string& zoneLine, bool verbose) {
  std::string text = user.name + VerboseNames(verbose, DisplayKey(UserKeyPath(user.name))) + "\n" + zoneLine;
  if (!user.readable) return text + "The key cannot be read.\n";
  const auto filters = EffectiveFilters(user);
  const auto limits = EffectiveLimits(user);
  const int today = WeekdayIndex(now);
  std::vector<std::vector<std::string>> rows = {{"Day", "Allowance", "Restricted periods"}};
  for (int day = 0; day < kDaysInWeek; ++day) {
    std::string allowance = kUnknown;
    if (limits)
      allowance = Allowance((*limits)[day]) ? AllowanceText(Allowance((*limits)[day]))
                                            : "\"" + (*limits)[day] + "\" (misread)";
    rows.push_back({std::string(kWeekdayNames[day]) + (day == today ? " *" : ""), allowance,
                    filters ? PeriodsText((*filters)[day]) : kUnknown});
  }
  text += FormatTable(rows);
  const std::vector<std::string> row = UserRow(user, now);
  text += "* Today: " + row[2] + " minutes spent, left " + row[3] + "; restricted now: " + row[4] +
          "; next period: " + row[5] + "; logoff request: " + row[6] + "\n";
  text += RecentDaysText(user, now);
  if (const std::optional<std::string> error = FirstTypeError(user)) text += "? " + *error + "\n";
  if (!FindUserProblems(user).empty()) text += std::string("Note: ") + kSeeCheck + ".\n";
  return text;
}

std::string VerboseNames(bool verbose, const std::string& names) { return verbose ? " (" + names + ")" : ""; }

std::string ServiceLogoffLine(const StoredProduct& product, bool verbose) {
  const bool ends = ServiceEndsSessions(product);
  return std::string("Sessions left open when the time is up: ") +
         (ends ? "ended by the service" : "left open") +
         VerboseNames(verbose, std::string("ServiceLogoff ") + (ends ? "on" : "off")) + ".\n";
}

std::string EndSessionLine(const StoredProduct& product, bool verbose) {
  const bool locks = EndSessionLocks(product);
  return std::string("When the time is up: ") +
         (locks ? "the session is locked, its programs stay open" : "the user is signed out, unsaved work is lost") +
         VerboseNames(verbose, std::string("EndSession ") + (locks ? "lock" : "logoff")) + ".\n";
}

std::string CountLockedLine(const StoredProduct& product, bool verbose) {
  const bool counted = CountsLockedSessions(product);
  return std::string("Minutes of a locked or disconnected session: ") + (counted ? "counted" : "not counted") +
         VerboseNames(verbose, std::string("CountLockedSessions ") + (counted ? "on" : "off")) + ".\n";
}

std::string CheckReport(const std::vector<Problem>& problems, const std::vector<Problem>& warnings) {
  std::string text;
  if (problems.empty()) text = "No problems found: the service reads every value as it is meant.\n";
  for (const Problem& problem : problems) text += problem.where + ": " + problem.value + ": " + problem.rule + "\n";
  if (!problems.empty())
    text += std::to_string(problems.size()) + (problems.size() == 1 ? " problem" : " problems") + " found.\n";
  for (const Problem& warning : warnings)
    text += "warning: " + warning.where + ": " + warning.value + ": " + warning.rule + "\n";
  return text;
}
