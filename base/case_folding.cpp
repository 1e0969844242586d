#include "base/case_folding.h"

#include <algorithm>

#include "base/case_folding_table.h"
#include "base/utf8_text.h"

namespace {

constexpr unsigned char AsciiFold(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

}  // namespace

char32_t FoldCodePoint(char32_t character) {
  if (character < 0x80) return AsciiFold(static_cast<unsigned char>(character));
  const CaseFoldingPair* end = kCaseFoldingTable + kCaseFoldingTableSize;
  const CaseFoldingPair* found = std::lower_bound(
      kCaseFoldingTable, end, character, [](const CaseFoldingPair& pair, char32_t c) { return pair.from < c; });
  return found != end && found->from == character ? found->to : character;
}

std::string FoldCase(std::string_view text) {
  std::string folded;
  folded.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    char32_t character = 0;
    const size_t length = byte < 0x80 ? 0 : DecodeUtf8(text.substr(i), character);
    if (length == 0) {
      folded += static_cast<char>(AsciiFold(byte));  // ASCII, or a byte that is no UTF-8: as it is
      ++i;
      continue;
    }
    AppendUtf8(folded, FoldCodePoint(character));
    i += length;
  }
  return folded;
}

bool SameText(std::string_view a, std::string_view b) {
  // Names are nearly always ASCII: compare byte by byte until a byte of either text is not.
  const size_t common = std::min(a.size(), b.size());
  size_t i = 0;
  for (; i < common; ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if ((x | y) >= 0x80) break;
    if (AsciiFold(x) != AsciiFold(y)) return false;
  }
  // A folded character is never empty, so a text that ran out first is shorter after folding too.
  if (i == common) return a.size() == b.size();
  return FoldCase(a.substr(i)) == FoldCase(b.substr(i));
}
