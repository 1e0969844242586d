#pragma once

#include <string>
#include <string_view>

// Letter case without regard to the alphabet: Unicode's simple case folding, the same for every
// language (so the Turkish dotless i and dotted capital I match only themselves, and the German
// sharp s matches its capital but not "ss"). Texts are UTF-8; a byte that does not belong to a
// valid UTF-8 sequence is kept as it is and matches only itself.

// The character that the character folds to; itself when it has no other case.
char32_t FoldCodePoint(char32_t character);

// The text with every character folded: the form in which two texts that differ only in letter
// case are equal.
std::string FoldCase(std::string_view text);

// True when the two texts are equal without regard to letter case, in any alphabet.
bool SameText(std::string_view a, std::string_view b);
