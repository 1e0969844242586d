#include "hwctl/line_wrap.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "base/utf8_text.h"

namespace {

constexpr char kContinuation[] = "  ";

// True for "60", "1440", "1.5": a line never breaks right after one, so a number and its unit
// stay together.
bool IsNumber(const std::string& word) {
  if (word.empty()) return false;
  for (const char c : word)
    if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.' && c != ',') return false;
  return std::isdigit(static_cast<unsigned char>(word.front())) != 0;
}

// A word of a line with the spaces before it, kept where the word stays on the same line.
struct Piece {
  std::string gap;
  std::string word;
};

// The words of the line after its indent, a number joined to the word after it.
std::vector<Piece> Pieces(const std::string& line, size_t indent) {
  std::vector<Piece> pieces;
  bool joinNext = false;
  for (size_t start = indent; start < line.size();) {
    const size_t wordStart = line.find_first_not_of(' ', start);
    if (wordStart == std::string::npos) break;
    size_t end = line.find(' ', wordStart);
    if (end == std::string::npos) end = line.size();
    const std::string gap = line.substr(start, wordStart - start);
    const std::string word = line.substr(wordStart, end - wordStart);
    if (joinNext && !pieces.empty())
      pieces.back().word += gap + word;
    else
      pieces.push_back({gap, word});
    joinNext = IsNumber(word);
    start = end;
  }
  return pieces;
}

std::string WrapLine(const std::string& line, size_t width) {
  if (CharacterCount(line) <= width) return line;
  const size_t indentEnd = std::min(line.find_first_not_of(' '), line.size());
  const std::string indent = line.substr(0, indentEnd);
  std::string text;
  std::string current = indent;
  bool lineEmpty = true;
  for (const Piece& piece : Pieces(line, indentEnd)) {
    if (!lineEmpty && CharacterCount(current) + CharacterCount(piece.gap) + CharacterCount(piece.word) > width) {
      text += current + "\n";
      current = indent + kContinuation;
      lineEmpty = true;
    }
    current += (lineEmpty ? "" : piece.gap) + piece.word;
    lineEmpty = false;
  }
  return text + current;
}

}  // namespace

std::string WrapLines(const std::string& text, size_t width) {
  std::string wrapped;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    const bool ended = end != std::string::npos;
    if (!ended) end = text.size();
    wrapped += WrapLine(text.substr(start, end - start), width) + (ended ? "\n" : "");
    start = end + 1;
  }
  return wrapped;
}
