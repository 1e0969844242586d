#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The program's texts are UTF-8; these read and write them a character at a time.

// The length of the valid UTF-8 sequence at the start of the text, with its character in
// character; 0 when the text does not start with one (empty, a stray continuation byte, a
// sequence cut short, an overlong form, a surrogate or a number beyond U+10FFFF).
size_t DecodeUtf8(std::string_view text, char32_t& character);

// Appends the character's UTF-8 form.
void AppendUtf8(std::string& text, char32_t character);

// True when every byte of the text belongs to a valid UTF-8 sequence.
bool IsValidUtf8(std::string_view text);

// How many characters the text holds, the width it takes in a console's columns (for the
// alphabets of Europe); a byte that is no UTF-8 counts as one.
size_t CharacterCount(std::string_view text);

// How many UTF-16 units the text takes, the measure of Windows' length limits (account names
// of at most 20 characters); a byte that is no UTF-8 counts as one, as its replacement would.
size_t Utf16Length(std::string_view text);
