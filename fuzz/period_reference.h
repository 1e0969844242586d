#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/day_filter.h"
#include "fuzz_support.h"
#include "base/date_time.h"

// What restricted periods mean, worked out in minutes of the day instead of by the service's
// comparison of texts: the reference the hwctl targets hold the service's walk to.

inline constexpr int kDayMinutes = 24 * 60;

using MinuteFlags = std::array<bool, kDayMinutes>;

// A period from its start minute (included) to its end minute (excluded); 1440 is midnight.
struct Period {
  int start = 0;
  int end = 0;
};

// The current time of each minute of the day as the service renders it, "HH:mm" with ":".
inline const std::array<std::string, kDayMinutes>& MinuteTexts() {
  static const std::array<std::string, kDayMinutes> texts = [] {
    std::array<std::string, kDayMinutes> all;
    for (int minute = 0; minute < kDayMinutes; ++minute)
      all[minute] = FormatTimeOfDay(static_cast<double>(minute) / kDayMinutes, ":");
    return all;
  }();
  return texts;
}

// The minute of "HH:mm" (two-digit hour 00 to 23 and minute 00 to 59), 1440 for "24:00".
inline std::optional<int> MinuteOfTime(std::string_view text) {
  if (text == "24:00") return kDayMinutes;
  if (text.size() != 5 || text[2] != ':') return std::nullopt;
  for (const size_t i : {0u, 1u, 3u, 4u})
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
  const int hour = (text[0] - '0') * 10 + (text[1] - '0');
  const int minute = (text[3] - '0') * 10 + (text[4] - '0');
  if (hour > 23 || minute > 59) return std::nullopt;
  return hour * 60 + minute;
}

// "HH:mm" of a minute, "24:00" for midnight at the end of the day.
inline std::string TimeText(int minute) { return minute == kDayMinutes ? "24:00" : MinuteTexts()[minute]; }

// The pieces of the text between spaces.
inline std::vector<std::string_view> SpaceSeparated(std::string_view text) {
  std::vector<std::string_view> pieces;
  for (const std::string_view piece : Split(text, ' '))
    if (!piece.empty()) pieces.push_back(piece);
  return pieces;
}

// The periods typed as "HH:mm-HH:mm HH:mm-HH:mm ...", each ending after it starts, in order and
// without overlap; none for an empty text or "none" in any letter case. Nothing when any period
// breaks these rules.
inline std::optional<std::vector<Period>> TypedPeriods(std::string_view text) {
  const std::vector<std::string_view> pieces = SpaceSeparated(text);
  if (pieces.empty()) return std::vector<Period>{};
  if (pieces.size() == 1 && pieces[0].size() == 4) {
    std::string lower(pieces[0]);
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower == "none") return std::vector<Period>{};
  }
  std::vector<Period> periods;
  for (const std::string_view piece : pieces) {
    if (piece.size() != 11 || piece[5] != '-') return std::nullopt;
    const std::optional<int> start = MinuteOfTime(piece.substr(0, 5));
    const std::optional<int> end = MinuteOfTime(piece.substr(6));
    if (!start || !end || *start >= *end || (!periods.empty() && *start < periods.back().end)) return std::nullopt;
    periods.push_back({*start, *end});
  }
  return periods;
}

// The minutes of the day inside one of the periods.
inline MinuteFlags RestrictedMinutes(const std::vector<Period>& periods) {
  MinuteFlags restricted{};
  for (const Period& period : periods)
    for (int minute = period.start; minute < period.end && minute < kDayMinutes; ++minute) restricted[minute] = true;
  return restricted;
}

// Aborts unless the service's walk through the filter finds each minute restricted as given.
inline void RequireWalkMatches(std::string_view filter, const MinuteFlags& restricted, std::string_view detail) {
  for (int minute = 0; minute < kDayMinutes; ++minute)
    Require(WalkDayFilter(filter, MinuteTexts()[minute]).restricted == restricted[minute],
            "the service's walk restricts exactly the minutes of the periods", detail);
}
