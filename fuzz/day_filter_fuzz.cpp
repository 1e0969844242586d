// The day-filter walk over any filter and current time text: the input is the current time text,
// a line end, then the filter. The walk's position counts the times passed, it stops at the first
// time after the current one, and `restricted` is a stop at an odd position.

#include <string>

#include "engine/day_filter.h"
#include "fuzz_support.h"
#include "settings/stored_formats.h"

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

// The standard library's comparison of char texts orders bytes as unsigned characters.
void CheckCompare(std::string_view a, std::string_view b) {
  const int forward = CompareBytes(a, b);
  Require(Sign(forward) == Sign(a.compare(b)), "CompareBytes orders as the standard comparison");
  Require(forward == -CompareBytes(b, a), "CompareBytes is antisymmetric");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string_view> fields = Fields(InputText(data, size), '\n', 2);
  const std::string_view currentTime = fields[0];
  const std::string_view filter = fields[1];

  const StringList times = SplitAtSpaces(filter);
  const FilterWalk walk = WalkDayFilter(filter, currentTime);
  Require(walk.position >= 0 && walk.position <= times.Count(), "the position lies within the filter's times");
  for (int i = 0; i < walk.position; ++i) {
    Require(CompareBytes(currentTime, times[i]) >= 0, "every time passed sorts at or before the current time");
    CheckCompare(currentTime, times[i]);
  }
  if (walk.stopped) {
    Require(walk.position < times.Count() && walk.token == times[walk.position],
            "the walk stops at the time after those passed");
    Require(CompareBytes(currentTime, walk.token) < 0, "the walk stops at a time after the current time");
    CheckCompare(currentTime, walk.token);
  } else {
    Require(walk.position == times.Count() && walk.token.empty(), "a walk that does not stop passes every time");
  }
  Require(walk.restricted == (walk.stopped && walk.position % 2 == 1), "restricted is a stop at an odd position");
  Require(CompareBytes(currentTime, currentTime) == 0, "a text compares equal to itself");
  return 0;
}
