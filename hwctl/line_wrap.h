#pragma once

#include <cstddef>
#include <string>

// The columns of a console line hwctl fills at most.
inline constexpr size_t kLineWidth = 100;

// The text with every line longer than width broken at spaces into lines of at most width
// columns; a continuation line starts with the line's own indent and two more spaces. A number
// stays on the line of the word after it ("1 h", "30 minutes"), and a word longer than a line
// stays whole on a line of its own.
std::string WrapLines(const std::string& text, size_t width = kLineWidth);
