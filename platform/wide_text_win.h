#pragma once

#include <string>
#include <string_view>

// The program's UTF-8 texts and the wide (UTF-16) texts of the W calls, converted at the boundary.
// Invalid input is replaced (U+FFFD), never dropped; an empty text stays empty.

// The UTF-16 form of a UTF-8 text.
std::wstring WideFromUtf8(std::string_view text);
// The UTF-8 form of a UTF-16 text.
std::string Utf8FromWide(std::wstring_view text);
