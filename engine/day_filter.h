#pragma once

#include <string>
#include <string_view>

// Where the current time of day falls in a day filter: the filter's times, split at spaces, are
// walked in order, each compared with the current time text byte by byte; the walk stops at the
// first time that sorts after the current time text. The current time lies in a restricted
// period exactly when the walk stopped at an odd position (the end of a start/end pair).
struct FilterWalk {
  bool stopped = false;  // a time after the current time text was found
  std::string token;     // the time the walk stopped at
  int position = 0;      // the number of times passed before it
  bool restricted = false;
};

// Byte-wise comparison of two texts as unsigned characters; a text that is a prefix of the other
// sorts first. Negative, zero or positive.
int CompareBytes(std::string_view a, std::string_view b);

// The current time text a filter is walked with: "HH:mm" with ":" whatever the regional
// settings, as the filters are stored.
std::string FilterTimeText(double dateTime);

// Walks the filter with the current time text (FilterTimeText).
FilterWalk WalkDayFilter(std::string_view filter, std::string_view currentTimeText);
