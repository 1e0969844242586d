#pragma once

#include <string>
#include <string_view>

// The small text helpers several parts share; letter case is in base/case_folding.h.

// True for the ASCII digits 0 to 9 only, whatever the locale.
bool IsDigit(char c);
// The text in double quotes, as messages show a value the user gave.
std::string Quoted(std::string_view text);
