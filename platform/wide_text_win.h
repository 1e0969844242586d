#pragma once

#include <string>
#include <string_view>

// The program keeps every text in UTF-8 and converts only where it meets Windows, whose ...W
// calls take and give UTF-16. These two are the one pair of converters for the whole tree.

// The UTF-16 text as UTF-8. An unpaired surrogate becomes U+FFFD; embedded NULs are kept.
std::string Utf8FromWide(std::wstring_view text);

// The UTF-8 text as UTF-16. A byte that is not valid UTF-8 becomes U+FFFD; embedded NULs are kept.
std::wstring WideFromUtf8(std::string_view text);
