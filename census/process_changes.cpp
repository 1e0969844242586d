#include "census/process_changes.h"

#include <cctype>
#include <cstdint>
#include <string_view>
#include <unordered_set>

namespace {

using LineSet = std::unordered_set<std::string_view, CaseInsensitiveHash, CaseInsensitiveEqual>;

// A set of views of the list's lines; valid while the list is left unchanged.
LineSet LinesOf(const StringList& list) {
  LineSet lines;
  lines.reserve(static_cast<size_t>(list.Count()));
  for (const std::string& line : list) lines.insert(line);
  return lines;
}

// Positions of the lines of `list` that `others` does not hold.
std::vector<int> Missing(const StringList& list, const LineSet& others) {
  std::vector<int> positions;
  for (int i = 0; i < list.Count(); ++i) {
    if (others.find(list[i]) == others.end()) positions.push_back(i);
  }
  return positions;
}

}  // namespace

size_t CaseInsensitiveHash::operator()(std::string_view text) const {
  // FNV-1a over the bytes lower-cased the way SameText compares them.
  uint64_t hash = 14695981039346656037ull;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
    hash = (hash ^ byte) * 1099511628211ull;
  }
  return static_cast<size_t>(hash);
}

ProcessChanges CompareCensuses(const StringList& previous, const StringList& current) {
  ProcessChanges changes;
  changes.appeared = Missing(current, LinesOf(previous));
  changes.disappeared = Missing(previous, LinesOf(current));
  return changes;
}
