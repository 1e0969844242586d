#include "hwctl/plain_words.h"

#include "configuration/validation.h"
#include "settings/stored_formats.h"

namespace {

constexpr int kMinutesPerHour = 60;

// A run of days in a row: "Monday", "Saturday and Sunday", "Monday to Friday".
std::string RunWords(int first, int last) {
  if (first == last) return kWeekdayNames[first];
  return std::string(kWeekdayNames[first]) + (last == first + 1 ? " and " : " to ") + kWeekdayNames[last];
}

// The pieces joined as people list them: "a", "a and b", "a, b and c".
std::string Listed(const std::vector<std::string>& pieces) {
  std::string text;
  for (size_t i = 0; i < pieces.size(); ++i)
    text += (i == 0 ? "" : i + 1 == pieces.size() ? " and " : ", ") + pieces[i];
  return text;
}

}  // namespace

std::string AllowanceWords(int minutes) {
  if (minutes <= 0) return "no time";
  if (minutes >= kMinutesPerDay) return "no limit";
  const int hours = minutes / kMinutesPerHour;
  const int rest = minutes % kMinutesPerHour;
  if (hours == 0) return std::to_string(rest) + " min";
  return std::to_string(hours) + " h" + (rest == 0 ? "" : " " + std::to_string(rest) + " min");
}

std::string WeekAllowanceWords(const std::vector<int>& minutesPerDay) {
  std::string text;
  for (size_t first = 0; first < minutesPerDay.size();) {
    size_t last = first;
    while (last + 1 < minutesPerDay.size() && minutesPerDay[last + 1] == minutesPerDay[first]) ++last;
    const std::string days = first == 0 && last + 1 == kDaysInWeek ? "every day"
                                                                    : RunWords(static_cast<int>(first), static_cast<int>(last));
    text += (text.empty() ? "" : ", ") + days + " " + AllowanceWords(minutesPerDay[first]);
    first = last + 1;
  }
  return text;
}

std::string DaysWords(const std::vector<int>& days) {
  if (days.size() == kDaysInWeek) return "every day";
  std::vector<std::string> runs;
  for (size_t first = 0; first < days.size();) {
    size_t last = first;
    while (last + 1 < days.size() && days[last + 1] == days[last] + 1) ++last;
    // A run of two reads better as two days in the list: "Monday, Tuesday and Friday".
    if (last == first + 1) {
      runs.push_back(kWeekdayNames[days[first]]);
      runs.push_back(kWeekdayNames[days[last]]);
    } else {
      runs.push_back(RunWords(days[first], days[last]));
    }
    first = last + 1;
  }
  return Listed(runs);
}
