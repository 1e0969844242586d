// hwctl's rules for what an administrator types and what check judges, with the whole input as
// the text: each accepts exactly what its reference accepts, and what it accepts the service
// reads as hwctl says (an accepted period text walks, minute by minute and in the outlook, as
// its periods mean; an accepted number is stored as a text the service reads as that number).

#include <array>
#include <string>

#include "configuration/validation.h"
#include "fuzz_support.h"
#include "hwctl/restriction_outlook.h"
#include "period_reference.h"
#include "base/case_folding.h"
#include "base/utf8_text.h"
#include "settings/in_memory_registry.h"
#include "settings/settings_loader.h"
#include "settings/stored_formats.h"
#include "settings/time_url.h"

namespace {

// The number of a text of digits only, capped just above every limit hwctl has; nothing for any
// other text.
std::optional<int> DigitsValue(std::string_view text) {
  if (text.empty()) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = std::min(100'000, value * 10 + (c - '0'));
  }
  return value;
}

// The outlook of a week with the filter on every day, at a minute of Tuesday 8 December 2026,
// against the first changes of the restricted minutes after it.
void CheckOutlook(const std::string& filter, const MinuteFlags& restricted, int now) {
  std::array<std::string, kDaysInWeek> week;
  week.fill(filter);
  const RestrictionOutlook outlook =
      OutlookOf(week, EncodeDateTime({2026, 12, 8, now / 60, now % 60, 0, 0}));
  Require(outlook.restrictedNow == restricted[now], "the outlook is restricted now exactly within a period", filter);
  std::optional<WeekMoment> freeAt, nextStart;
  for (int step = 1; step <= kDaysInWeek * kDayMinutes; ++step) {
    const int minute = (now + step) % kDayMinutes;
    const WeekMoment moment{(now + step) / kDayMinutes, minute};
    if (restricted[now] && !freeAt && !restricted[minute]) freeAt = moment;
    if (!nextStart && restricted[minute] && !restricted[(minute + kDayMinutes - 1) % kDayMinutes]) nextStart = moment;
  }
  Require(outlook.freeAt == freeAt, "the outlook is free at the end of the period", filter);
  Require(outlook.nextStart == nextStart, "the outlook's next start is the next period's start", filter);
}

void CheckTypedPeriods(std::string_view text, int now) {
  const Checked<std::string> stored = StoredFilterOfPeriods(text);
  const std::optional<std::vector<Period>> periods = TypedPeriods(text);
  Require(stored.value.has_value() == periods.has_value(), "hwctl accepts exactly periods in order of time", text);
  Require(stored.value.has_value() == stored.refusal.empty(), "a refusal says why, an acceptance says nothing", text);
  if (!stored.value) return;

  std::string expected;
  std::vector<std::string> expectedPeriods;
  for (const Period& period : *periods) {
    expected += (expected.empty() ? "" : " ") + TimeText(period.start) + " " + TimeText(period.end);
    expectedPeriods.push_back(TimeText(period.start) + "-" + TimeText(period.end));
  }
  Require(*stored.value == expected, "the stored filter is the periods' times between single spaces", text);
  Require(DayFilterProblems(*stored.value).empty(), "check finds nothing wrong in a filter hwctl stores", text);
  Require(PeriodsOfFilter(*stored.value) == expectedPeriods, "hwctl shows a stored filter as the periods typed", text);
  const MinuteFlags restricted = RestrictedMinutes(*periods);
  RequireWalkMatches(*stored.value, restricted, text);
  CheckOutlook(*stored.value, restricted, now);
}

// A stored filter in which check finds nothing is walked as the periods hwctl shows for it.
void CheckStoredFilter(std::string_view filter) {
  if (!DayFilterProblems(filter).empty()) return;
  std::vector<Period> periods;
  for (const std::string& shown : PeriodsOfFilter(filter)) {
    Require(shown.size() == 11, "a filter check accepts holds times HH:mm", filter);
    const std::optional<int> start = MinuteOfTime(std::string_view(shown).substr(0, 5));
    const std::optional<int> end = MinuteOfTime(std::string_view(shown).substr(6));
    Require(start && end && *start <= *end, "a filter check accepts holds ascending times", filter);
    periods.push_back({*start, *end});
  }
  RequireWalkMatches(filter, RestrictedMinutes(periods), filter);
}

// A stored DayLimit in which check finds nothing gives every day an allowance of 0 minutes or more.
void CheckStoredLimits(std::string_view limits) {
  if (!DayLimitProblems(limits).empty()) return;
  const StringList pieces = SplitAtSpaces(limits);
  Require(pieces.Count() <= kDaysInWeek, "check names allowances past the seventh", limits);
  for (int day = 0; day < kDaysInWeek; ++day) {
    const std::optional<int32_t> minutes = ParseDecimal32(day < pieces.Count() ? pieces[day] : kWholeDayMinutes);
    Require(minutes && *minutes >= 0, "an allowance check accepts is a number of 0 minutes or more", limits);
  }
}

// An accepted number is stored as its decimal text, which the service reads as that number.
void RequireNumber(const Checked<int>& checked, std::optional<int> expected, std::string_view text) {
  Require(checked.value == expected, "hwctl accepts exactly the numbers within its limits", text);
  Require(checked.value.has_value() == checked.refusal.empty(), "a refusal says why, an acceptance says nothing", text);
  if (checked.value)
    Require(ParseDecimal32(std::to_string(*checked.value)) == *checked.value, "the service reads the stored number back",
            text);
}

void CheckNumbers(std::string_view text) {
  const std::optional<int> digits = DigitsValue(text);
  const auto within = [&](int low, int high) -> std::optional<int> {
    return digits && *digits >= low && *digits <= high ? digits : std::nullopt;
  };
  RequireNumber(AllowanceOfArgument(text), text == "-" ? std::optional<int>(kMinutesPerDay) : within(0, kMinutesPerDay),
                text);
  RequireNumber(GrantOfArgument(text), within(1, kMinutesPerDay), text);
  RequireNumber(DebugLevelOfArgument(text), within(0, 4), text);
}

void CheckDays(std::string_view text) {
  constexpr const char* kShort[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
  const std::string lower = FoldCase(text);
  std::optional<std::vector<int>> expected;
  if (lower == "all") expected = std::vector<int>{0, 1, 2, 3, 4, 5, 6};
  for (int day = 0; day < kDaysInWeek; ++day)
    if (lower == kShort[day] || lower == FoldCase(kWeekdayNames[day])) expected = std::vector<int>{day};
  Require(DaysOfArgument(text).value == expected, "hwctl names the weekdays of a day argument", text);
}

// An accepted user name is one key under the restrictions key, listed by the service by that name.
void CheckUserName(std::string_view text) {
  if (UserNameProblem(text)) return;
  Require(!text.empty() && Utf16Length(text) <= 20, "an account name has 1 to 20 characters (UTF-16 units)", text);
  for (const char c : text)
    Require(static_cast<unsigned char>(c) >= 0x20 && c != '\\', "an account name holds no control character or \\",
            text);
  InMemoryRegistry registry;
  registry.CreateKeyForTesting(UserKeyPath(std::string(text)));
  const std::unique_ptr<RegistryAccess> access = registry.Open();
  StringList names;
  Require(access->OpenKeyReadOnly(kRestrictionsKey), "the restrictions key opens");
  access->GetKeyNames(names);
  Require(names == StringList{std::string(text)}, "the service lists an accepted user name as itself", text);
}

void CheckPathAndUrl(std::string_view text) {
  if (PathProblems(text).empty()) {
    const bool drive = text.size() >= 3 && text[1] == ':' && text[2] == '\\';
    Require(drive || text.substr(0, 2) == "\\\\", "an accepted Path is a full folder path", text);
    Require(text.back() == '\\' && text.find('%') == std::string_view::npos,
            "the logs of an accepted Path lie in that folder, unexpanded", text);
  }
  if (!TimeUrlProblem(text)) {
    // Every word between blanks is an address the fetch can use, unless the value is "none".
    const TimeSources sources = TimeSourcesOf(text);
    for (const std::string& word : sources.urls) {
      const std::string lower = FoldCase(word);
      const size_t host = lower.rfind("http://", 0) == 0 ? 7 : lower.rfind("https://", 0) == 0 ? 8 : 0;
      Require(host != 0 && host < word.size() && word[host] != '/', "an accepted TimeUrl word is an http address with a host",
              text);
      for (const char c : word) Require(static_cast<unsigned char>(c) > 0x20, "an accepted TimeUrl word holds no blank", text);
      const ParsedTimeUrl parsed = ParseTimeUrl(word);
      Require(parsed.parts && !parsed.parts->host.empty() && parsed.parts->port >= 1 && parsed.parts->port <= 65535 &&
                  !parsed.parts->path.empty() && parsed.parts->path.front() == '/',
              "an accepted TimeUrl word has a host, a port and a path for the fetch", text);
    }
    Require(sources.trustClock != !sources.urls.empty(), "an accepted TimeUrl asks addresses or trusts the clock", text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = InputText(data, size);
  unsigned hash = 0;
  for (const uint8_t byte : text) hash = hash * 31 + byte;
  CheckTypedPeriods(text, static_cast<int>(hash % kDayMinutes));
  CheckStoredFilter(text);
  CheckStoredLimits(text);
  CheckNumbers(text);
  CheckDays(text);
  CheckUserName(text);
  CheckPathAndUrl(text);
  return 0;
}
