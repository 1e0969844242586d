#include "engine/day_filter.h"

#include "base/date_time.h"
#include "settings/stored_formats.h"

std::string FilterTimeText(double dateTime) { return FormatTimeOfDay(dateTime, ":"); }

int CompareBytes(std::string_view a, std::string_view b) {
  const size_t common = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < common; ++i) {
    const auto left = static_cast<unsigned char>(a[i]);
    const auto right = static_cast<unsigned char>(b[i]);
    if (left != right) return left < right ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

FilterWalk WalkDayFilter(std::string_view filter, std::string_view currentTimeText) {
  FilterWalk walk;
  for (const std::string& token : SplitAtSpaces(filter)) {
    if (CompareBytes(currentTimeText, token) < 0) {
      walk.stopped = true;
      walk.token = token;
      walk.restricted = walk.position % 2 == 1;
      return walk;
    }
    ++walk.position;
  }
  return walk;
}
