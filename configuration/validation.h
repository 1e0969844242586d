#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/folder_access.h"

// The rules hwctl holds every value it writes to, and by which it judges what is stored: the day
// filters, the allowances, user names, Path and TimeUrl. Texts are split and numbers read by the
// service's own rules (settings/stored_formats.h, engine/day_filter.h).

// The weekday names, Monday (index 0, value "Day0") first.
inline constexpr const char* kWeekdayNames[] = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                                "Friday", "Saturday", "Sunday"};
// Minutes in a day: the largest allowance, which never runs out.
inline constexpr int kMinutesPerDay = 1440;
// The end time that closes a period at midnight; it sorts after every time of day.
inline constexpr char kMidnightEnd[] = "24:00";
// The debug levels: 0 silences the debug log, 4 writes every tick (settings/settings_loader.h).
inline constexpr int kMinDebugLevel = 0;
inline constexpr int kMaxDebugLevel = 4;
// The allowance argument that stands for a whole day.
inline constexpr char kUnlimitedArgument[] = "-";
// The day argument that names every weekday.
inline constexpr char kAllDaysArgument[] = "all";

// "Day2 (Wednesday)": a day filter's value name with its weekday, for messages.
std::string DayValueLabel(int day);
// The short name of the weekday: "Mon" .. "Sun".
std::string ShortWeekdayName(int day);

// A value as it came from a command line, or why it is refused (the rule it breaks).
template <class T>
struct Checked {
  std::optional<T> value;
  std::string refusal;

  static Checked Accepted(T accepted) { return {std::move(accepted), {}}; }
  static Checked Refused(std::string why) { return {std::nullopt, std::move(why)}; }
};

// True for a time of day "HH:mm": two-digit hour 00 to 23, ":", two-digit minute 00 to 59.
bool IsTimeOfDay(std::string_view text);

// What the service would misread in a stored day filter, one sentence per problem: a tab, a time
// that is not HH:mm, 24:00 as a start, times not ascending, an odd number of times. None for a
// filter it reads as meant.
std::vector<std::string> DayFilterProblems(std::string_view filter);
// What the service would misread in a stored DayLimit: a tab, a number that is not a decimal
// integer, a negative allowance, numbers beyond the seventh.
std::vector<std::string> DayLimitProblems(std::string_view limits);
// The periods of a day filter that has no problems, each "HH:mm-HH:mm", in order.
std::vector<std::string> PeriodsOfFilter(std::string_view filter);

// The stored day filter for periods given as "HH:mm-HH:mm HH:mm-HH:mm ...": the times separated
// by single spaces. The empty text and "none" give the empty filter. Refused: a time that is not
// HH:mm (24:00 allowed as an end), a period that does not end after it starts, periods that
// overlap or are out of order.
Checked<std::string> StoredFilterOfPeriods(std::string_view periods);
// The weekdays a day argument names: mon .. sun (or the full names), or all, in any letter case.
Checked<std::vector<int>> DaysOfArgument(std::string_view text);
// The allowance of one day in minutes: a whole number from 0 to 1440, or "-" for 1440.
Checked<int> AllowanceOfArgument(std::string_view text);
// The minutes of extra time: a whole number from 1 to 1440.
Checked<int> GrantOfArgument(std::string_view text);
// A debug level from 0 (silent) to 4 (every tick).
Checked<int> DebugLevelOfArgument(std::string_view text);

// Why the text cannot name a new restricted user's key (an account name), or nothing.
std::optional<std::string> UserNameProblem(std::string_view name);
// What is wrong with the text of Path, the folder the logs go to: empty, not a full path, a
// %reference% that is never expanded, no trailing backslash.
std::vector<std::string> PathProblems(std::string_view path);
// Why the folder cannot take the service's logs: it does not exist, is a file, its access list
// cannot be read, or standard users can write to it. Nothing when it is fit.
std::optional<std::string> LogFolderProblem(const std::string& folder, const FolderAccessSource& folders);
// Why the text cannot be the TimeUrl value (an address the service cannot fetch, each one named),
// or nothing: the addresses separated by blanks, "none", or the empty value.
std::optional<std::string> TimeUrlProblem(std::string_view value);
