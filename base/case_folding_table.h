#pragma once

#include <cstddef>

// One entry of the simple case folding table: a character and the one it folds to.
struct CaseFoldingPair {
  char32_t from;
  char32_t to;
};

// Every character that simple case folding changes, ordered by the character: generated.
extern const CaseFoldingPair kCaseFoldingTable[];
extern const size_t kCaseFoldingTableSize;
