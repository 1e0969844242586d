#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "base/string_list.h"

// Hash of a text that ignores letter case, so that texts equal under SameText hash alike.
struct CaseInsensitiveHash {
  size_t operator()(std::string_view text) const;
};

// Equality without regard to letter case, as SameText compares, for hashed containers.
struct CaseInsensitiveEqual {
  bool operator()(std::string_view a, std::string_view b) const;
};

// The difference between two censuses: positions of the lines of the latest census that the one
// before does not hold, and of the lines of the census before that the latest does not hold,
// both in list order. Lines are compared whole, without regard to letter case.
struct ProcessChanges {
  std::vector<int> appeared;     // positions in the latest census
  std::vector<int> disappeared;  // positions in the census before
};

// Compares two censuses in time proportional to the number of lines of both.
ProcessChanges CompareCensuses(const StringList& previous, const StringList& current);
