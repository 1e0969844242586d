#include "base/case_folding.h"

#include <gtest/gtest.h>

#include "census/process_changes.h"

namespace {

struct FoldingCase {
  const char* a;
  const char* b;
  bool same;
};

// Names in several alphabets; each pair must compare as the table says in SameText, in the
// census's hashed comparison, and through FoldCase.
constexpr FoldingCase kFoldingCases[] = {
    {"alice", "ALICE", true},
    {"alice", "alicE ", false},
    {"Дима", "ДИМА", true},            // Cyrillic
    {"Дима", "Дина", false},
    {"Ελένη", "ΕΛΈΝΗ", true},          // Greek with tonos
    {"ΟΔΥΣΣΕΥΣ", "οδυσσευς", true},    // final sigma folds to sigma
    {"Élodie Müller", "élodie MÜLLER", true},
    {"Åsa", "åsa", true},
    {"Åsa", "Asa", false},              // a diacritic is not a case
    {"Straße", "STRAẞE", true},         // capital sharp s
    {"Straße", "STRASSE", false},       // simple folding: one character stays one
    {"KIM", "\u212Aim", true},          // the Kelvin sign is a K, three bytes for one
    {"Ilker", "ılker", false},          // Turkish dotless i: only itself
    {"İlker", "ilker", false},          // dotted capital I: only itself
    {"Ilker", "ilker", true},
    {"\U00010400", "\U00010428", true},  // Deseret, beyond the 16-bit range
    {"\xC3", "\xC3", true},             // a byte that is no UTF-8 matches only itself
    {"\xC3", "\xE3", false},
    {"a\xC3", "A\xC3", true},
};

TEST(CaseFoldingTest, ComparesNamesInEveryAlphabet) {
  const CaseInsensitiveHash hash;
  const CaseInsensitiveEqual equal;
  for (const FoldingCase& row : kFoldingCases) {
    EXPECT_EQ(SameText(row.a, row.b), row.same) << row.a << " / " << row.b;
    EXPECT_EQ(SameText(row.b, row.a), row.same) << row.b << " / " << row.a;
    EXPECT_EQ(FoldCase(row.a) == FoldCase(row.b), row.same) << row.a << " / " << row.b;
    EXPECT_EQ(equal(row.a, row.b), row.same) << row.a << " / " << row.b;
    if (row.same) {
      EXPECT_EQ(hash(row.a), hash(row.b)) << row.a << " / " << row.b;
    }
  }
  EXPECT_EQ(FoldCase("ДИМА Ελένη ẞ"), "дима ελένη ß");
}

// Every folded character folds to itself again: the table holds no chain.
TEST(CaseFoldingTest, FoldingIsIdempotent) {
  for (char32_t c = 0; c < 0x20000; ++c) ASSERT_EQ(FoldCodePoint(FoldCodePoint(c)), FoldCodePoint(c)) << static_cast<uint32_t>(c);
}

}  // namespace
