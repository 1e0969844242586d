#include "configuration/validation.h"

#include <cctype>

#include "core/standard_user_access.h"
#include "engine/day_filter.h"
#include "base/case_folding.h"
#include "base/string_list.h"
#include "base/text_helpers.h"
#include "base/utf8_text.h"
#include "settings/stored_formats.h"
#include "settings/time_url.h"

namespace {

constexpr const char* kShortNames[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
// Characters no Windows account name may hold.
constexpr std::string_view kForbiddenNameCharacters = "\"/\\[]:;|=,+*?<>@";
// The longest name a local account can have.
constexpr size_t kMaxAccountNameLength = 20;

bool IsEndTime(std::string_view text) { return IsTimeOfDay(text) || text == kMidnightEnd; }

// A plain whole number of minutes (digits only, no sign) within 0..maximum, or nothing.
std::optional<int> Minutes(std::string_view text, int maximum) {
  for (const char c : text)
    if (!IsDigit(c)) return std::nullopt;
  const std::optional<int32_t> number = ParseDecimal32(text);
  if (!number || *number > maximum) return std::nullopt;
  return *number;
}

std::string Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

}  // namespace

std::string DayValueLabel(int day) { return DayValueName(day) + " (" + kWeekdayNames[day] + ")"; }

std::string ShortWeekdayName(int day) { return kShortNames[day]; }

bool IsTimeOfDay(std::string_view text) {
  if (text.size() != 5 || text[2] != ':') return false;
  for (const size_t i : {0u, 1u, 3u, 4u})
    if (!IsDigit(text[i])) return false;
  const int hour = (text[0] - '0') * 10 + (text[1] - '0');
  const int minute = (text[3] - '0') * 10 + (text[4] - '0');
  return hour <= 23 && minute <= 59;
}

std::vector<std::string> DayFilterProblems(std::string_view filter) {
  std::vector<std::string> problems;
  if (filter.find('\t') != std::string_view::npos)
    problems.push_back("contains a tab: only spaces separate the times, so the times around it read as one");
  const StringList times = SplitAtSpaces(filter);
  bool wellFormed = true;
  for (const std::string& time : times) {
    if (IsEndTime(time)) continue;
    wellFormed = false;
    if (time.find('\t') == std::string::npos)
      problems.push_back(Quoted(time) + " is not a time HH:mm with a two-digit hour (00-23) and minute (00-59)");
  }
  if (!wellFormed) return problems;
  for (int i = 0; i < times.Count(); ++i) {
    if (times[i] == kMidnightEnd && i % 2 == 0)
      problems.push_back("24:00 starts a period: it can only end one, as nothing comes after it");
    if (i > 0 && CompareBytes(times[i], times[i - 1]) < 0)
      problems.push_back("times not ascending: " + times[i] + " follows " + times[i - 1]);
  }
  if (times.Count() % 2 == 1)
    problems.push_back("an odd number of times: the last one, " + times[times.Count() - 1] +
                       ", starts a period without an end and has no effect");
  return problems;
}

std::vector<std::string> DayLimitProblems(std::string_view limits) {
  std::vector<std::string> problems;
  if (limits.find('\t') != std::string_view::npos)
    problems.push_back("contains a tab: only spaces separate the allowances");
  const StringList numbers = SplitAtSpaces(limits);
  for (int i = 0; i < numbers.Count() && i < kDaysInWeek; ++i) {
    const std::string day = std::string(" (") + kWeekdayNames[i] + ")";
    const std::optional<int32_t> minutes = ParseDecimal32(numbers[i]);
    if (!minutes)
      problems.push_back(Quoted(numbers[i]) + day + " is not a whole number of minutes");
    else if (*minutes < 0)
      problems.push_back(numbers[i] + day + " is negative: the user is held back the whole day");
  }
  if (numbers.Count() > kDaysInWeek)
    problems.push_back("holds " + std::to_string(numbers.Count()) +
                       " numbers: only the first seven, Monday to Sunday, are used");
  return problems;
}

std::vector<std::string> PeriodsOfFilter(std::string_view filter) {
  const StringList times = SplitAtSpaces(filter);
  std::vector<std::string> periods;
  for (int i = 0; i + 1 < times.Count(); i += 2) periods.push_back(times[i] + "-" + times[i + 1]);
  return periods;
}

Checked<std::string> StoredFilterOfPeriods(std::string_view periods) {
  using Result = Checked<std::string>;
  const std::string trimmed = Trimmed(periods);
  if (trimmed.empty() || FoldCase(trimmed) == "none") return Result::Accepted("");
  std::string stored;
  std::string previousEnd;
  std::string previousPeriod;
  for (const std::string& period : SplitAtSpaces(trimmed)) {
    const size_t dash = period.find('-');
    const std::string start = period.substr(0, dash);
    const std::string end = dash == std::string::npos ? "" : period.substr(dash + 1);
    if (dash == std::string::npos || !IsEndTime(start) || !IsEndTime(end))
      return Result::Refused(Quoted(period) + " is not a period HH:mm-HH:mm with two-digit hours (00-23) and "
                             "minutes (00-59); 24:00 may end a period");
    if (start == kMidnightEnd) return Result::Refused("the period " + period + " starts at 24:00, which can only end one");
    if (CompareBytes(end, start) < 0)
      return Result::Refused("the period " + period + " ends before it starts; a period cannot run past midnight: "
                             "write " + start + "-24:00 on this day and 00:00-" + end + " on the next");
    if (end == start) return Result::Refused("the period " + period + " is empty: it must end after it starts");
    if (!previousEnd.empty() && CompareBytes(start, previousEnd) < 0)
      return Result::Refused("the period " + period + " starts before the period " + previousPeriod +
                             " ends: list the periods in order of time, without overlaps");
    stored += (stored.empty() ? "" : " ") + start + " " + end;
    previousEnd = end;
    previousPeriod = period;
  }
  return Result::Accepted(stored);
}

Checked<std::vector<int>> DaysOfArgument(std::string_view text) {
  using Result = Checked<std::vector<int>>;
  const std::string lower = FoldCase(text);
  if (lower == kAllDaysArgument) return Result::Accepted({0, 1, 2, 3, 4, 5, 6});
  for (int day = 0; day < kDaysInWeek; ++day)
    if (lower == FoldCase(kShortNames[day]) || lower == FoldCase(kWeekdayNames[day])) return Result::Accepted({day});
  return Result::Refused(Quoted(text) + " is not a day: use mon, tue, wed, thu, fri, sat, sun or all");
}

Checked<int> AllowanceOfArgument(std::string_view text) {
  if (text == kUnlimitedArgument) return Checked<int>::Accepted(kMinutesPerDay);
  if (const std::optional<int> minutes = Minutes(text, kMinutesPerDay)) return Checked<int>::Accepted(*minutes);
  return Checked<int>::Refused(Quoted(text) + " is not an allowance: give whole minutes from 0 to 1440, or - for "
                               "no limit");
}

Checked<int> GrantOfArgument(std::string_view text) {
  const std::optional<int> minutes = Minutes(text, kMinutesPerDay);
  if (minutes && *minutes > 0) return Checked<int>::Accepted(*minutes);
  return Checked<int>::Refused(Quoted(text) + " is not an amount of extra time: give whole minutes from 1 to 1440");
}

Checked<int> DebugLevelOfArgument(std::string_view text) {
  static_assert(kMinDebugLevel == 0, "Minutes reads whole numbers from 0");
  if (const std::optional<int> level = Minutes(text, kMaxDebugLevel)) return Checked<int>::Accepted(*level);
  return Checked<int>::Refused(Quoted(text) + " is not a debug level: give 0 (silent) to 4 (every tick)");
}

std::optional<std::string> UserNameProblem(std::string_view name) {
  if (name.empty()) return "a user name cannot be empty";
  if (!IsValidUtf8(name)) return "the user name is not valid text (UTF-8)";
  if (Utf16Length(name) > kMaxAccountNameLength)
    return Quoted(name) + " is longer than the 20 characters an account name can have";
  if (name.front() == ' ' || name.back() == ' ') return Quoted(name) + " begins or ends with a space";
  bool onlyDotsAndSpaces = true;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || kForbiddenNameCharacters.find(c) != std::string_view::npos)
      return Quoted(name) + " holds a character no account name may hold (" + std::string(kForbiddenNameCharacters) +
             " or a control character)";
    if (c != '.' && c != ' ') onlyDotsAndSpaces = false;
  }
  if (onlyDotsAndSpaces) return Quoted(name) + " holds only dots and spaces, which no account name may";
  return std::nullopt;
}

std::vector<std::string> PathProblems(std::string_view path) {
  if (path.empty()) return {"is empty: the logs are written to the service's current folder"};
  std::vector<std::string> problems;
  const bool drivePath = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
                         path[2] == '\\';
  const bool networkPath = path.size() >= 3 && path[0] == '\\' && path[1] == '\\';
  if (!drivePath && !networkPath) problems.push_back(Quoted(path) + " is not a full folder path such as C:\\Hourwarden\\");
  if (path.find('%') != std::string_view::npos)
    problems.push_back(Quoted(path) + " holds a %reference%, which the service does not expand");
  if (path.back() != '\\')
    problems.push_back(Quoted(path) + " does not end in a backslash: the debug log becomes " + std::string(path) +
                       "debug.log");
  return problems;
}

std::optional<std::string> TimeUrlProblem(std::string_view value) {
  // The service's own reading of the addresses, so hwctl accepts exactly what it can fetch.
  const std::vector<std::string> problems = TimeUrlValueProblems(value);
  if (problems.empty()) return std::nullopt;
  std::string text;
  for (const std::string& problem : problems) text += (text.empty() ? "" : "; ") + problem;
  return text;
}

std::optional<std::string> LogFolderProblem(const std::string& folder, const FolderAccessSource& folders) {
  const CallResult<FolderAccessList> read = folders.Read(folder);
  if (!read) return "the permissions of " + folder + " could not be read (" + read.Failure() + ")";
  const FolderAccessList& list = read.Value();
  switch (list.kind) {
    case FolderAccessList::Kind::kNotFound:
      return "the folder " + folder + " does not exist: the logs cannot be written";
    case FolderAccessList::Kind::kNotAFolder:
      return folder + " is a file, not a folder: the logs cannot be written";
    case FolderAccessList::Kind::kFolder:
      break;
  }
  if (const std::optional<std::string> access = StandardUserWriteAccess(list))
    return "standard users can write to " + folder + " (" + *access +
           "): they could tamper with the logs; choose a folder only administrators can write to";
  return std::nullopt;
}
