#pragma once

#include <string>
#include <string_view>

// The wide text in the ANSI code page: the 8-bit form in which the service keeps every name it
// reads from the system (account names, session users, executable names and paths). Characters
// the code page lacks become its default character; a text that cannot be converted is empty.
std::string ToAnsiText(std::wstring_view text);
