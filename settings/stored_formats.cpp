#include "settings/stored_formats.h"

#include <charconv>
#include <string>

StringList SplitAtSpaces(std::string_view text) {
  StringList pieces;
  size_t start = 0;
  while (start < text.size()) {
    if (text[start] == ' ') {
      ++start;
      continue;
    }
    size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    pieces.Add(std::string(text.substr(start, end - start)));
    start = end;
  }
  return pieces;
}

std::optional<int32_t> ParseDecimal32(std::string_view text) {
  int32_t number = 0;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(first, last, number);
  if (text.empty() || error != std::errc() || end != last) return std::nullopt;
  return number;
}

std::string DayValueName(int day) { return "Day" + std::to_string(day); }
