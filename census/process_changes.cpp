#include "census/process_changes.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <unordered_map>

namespace {

constexpr uint64_t kHighBits = 0x8080808080808080ull;

// The letter case folding of ASCII applied to the eight bytes of a word at once: the hash runs
// over every byte of every process line of both censuses on every tick.
inline uint64_t FoldCaseWord(uint64_t word) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  const uint64_t low7 = word & ~kHighBits;
  // In each byte the high bit of atLeastA is set when the low seven bits are 'A' or above, that of
  // aboveZ when they are above 'Z'; neither sum carries into the next byte.
  const uint64_t atLeastA = low7 + (0x80 - 'A') * kOnes;
  const uint64_t aboveZ = low7 + (0x80 - 'Z' - 1) * kOnes;
  const uint64_t upper = (atLeastA ^ aboveZ) & ~word & kHighBits;  // 'A' to 'Z', and not above 127
  return word | (upper >> 2);                                        // 0x80 >> 2 is the case bit 0x20
}

inline uint64_t Mix(uint64_t hash, uint64_t word) {
  hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
  return hash ^ (hash >> 29);
}

// Hashes the text whose letters outside ASCII are already folded.
size_t HashAsciiFolded(std::string_view text) {
  uint64_t hash = text.size();
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    hash = Mix(hash, FoldCaseWord(word));
  }
  if (i < text.size()) {
    uint64_t word = 0;
    std::memcpy(&word, text.data() + i, text.size() - i);
    hash = Mix(hash, FoldCaseWord(word));
  }
  return static_cast<size_t>(hash);
}

}  // namespace

size_t CaseInsensitiveHash::operator()(std::string_view text) const {
  // A line of ASCII alone, nearly every line, is folded word by word as it is hashed; any other
  // is folded whole first, so that lines equal under SameText hash alike.
  bool ascii = true;
  for (size_t i = 0; i < text.size() && ascii; ++i) ascii = static_cast<unsigned char>(text[i]) < 0x80;
  return ascii ? HashAsciiFolded(text) : HashAsciiFolded(FoldCase(text));
}

bool CaseInsensitiveEqual::operator()(std::string_view a, std::string_view b) const {
  if (a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size()) == 0) return true;  // same spelling
  return SameText(a, b);
}

ProcessChanges CompareCensuses(const StringList& previous, const StringList& current) {
  // Lines of the census before that are equal without regard to case form one group; a group is
  // still running when any line of the latest census equals it.
  std::unordered_map<std::string_view, int, CaseInsensitiveHash, CaseInsensitiveEqual> groups;
  groups.reserve(static_cast<size_t>(previous.Count()));
  std::vector<int> groupOf(static_cast<size_t>(previous.Count()));
  for (int i = 0; i < previous.Count(); ++i)
    groupOf[static_cast<size_t>(i)] = groups.try_emplace(previous[i], static_cast<int>(groups.size())).first->second;

  ProcessChanges changes;
  std::vector<char> running(groups.size(), 0);
  for (int i = 0; i < current.Count(); ++i) {
    const auto found = groups.find(current[i]);
    if (found == groups.end())
      changes.appeared.push_back(i);
    else
      running[static_cast<size_t>(found->second)] = 1;
  }
  for (int i = 0; i < previous.Count(); ++i) {
    if (!running[static_cast<size_t>(groupOf[static_cast<size_t>(i)])]) changes.disappeared.push_back(i);
  }
  return changes;
}
