#include "timesync/http_date.h"

#include <array>

namespace {

// The names are fixed by HTTP and compared with their letter case.
constexpr std::array<std::string_view, 7> kDayNames = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr std::array<std::string_view, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::string_view kPattern = "Www, DD Mmm YYYY HH:MM:SS GMT";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The number written with exactly the digits of the field, or -1.
int Digits(std::string_view field) {
  int value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

template <size_t N>
int IndexOf(const std::array<std::string_view, N>& names, std::string_view name) {
  for (size_t i = 0; i < N; ++i)
    if (names[i] == name) return static_cast<int>(i);
  return -1;
}

}  // namespace

std::optional<DateTimeParts> ParseHttpDate(std::string_view header) {
  const std::string_view text = Trim(header);
  if (text.size() != kPattern.size()) return std::nullopt;
  // The fixed characters of the form: the comma, the blanks, the colons and the zone.
  for (size_t i : {3u, 4u, 7u, 11u, 16u, 19u, 22u, 25u})
    if (text[i] != kPattern[i]) return std::nullopt;
  if (text.substr(26) != "GMT" || IndexOf(kDayNames, text.substr(0, 3)) < 0) return std::nullopt;

  DateTimeParts parts;
  parts.day = Digits(text.substr(5, 2));
  parts.month = IndexOf(kMonthNames, text.substr(8, 3)) + 1;
  parts.year = Digits(text.substr(12, 4));
  parts.hour = Digits(text.substr(17, 2));
  parts.minute = Digits(text.substr(20, 2));
  parts.second = Digits(text.substr(23, 2));
  if (!IsValidDate(parts.year, parts.month, parts.day) || !IsValidTime(parts.hour, parts.minute, parts.second))
    return std::nullopt;
  return parts;
}
