#include "hwctl/line_wrap.h"

#include <gtest/gtest.h>

namespace {

TEST(LineWrapTest, BreaksLongLinesAtSpacesKeepingNumbersWithTheirUnits) {
  const struct {
    const char* text;
    size_t width;
    const char* wrapped;
  } cases[] = {
      {"", 10, ""},
      {"short line\nanother\n", 10, "short line\nanother\n"},
      {"alice: Monday 1 h", 14, "alice: Monday\n  1 h"},
      {"Monday to Friday 1 h", 18, "Monday to Friday\n  1 h"},  // never "... 1\n  h"
      {"  indented words here", 12, "  indented\n    words\n    here"},
      {"a https://time.example.net/very/long b", 10, "a\n  https://time.example.net/very/long\n  b"},
      {"Ελένη Ελένη Ελένη", 11, "Ελένη Ελένη\n  Ελένη"},  // columns are characters, not bytes
      {"one two three\nfour five six\n", 9, "one two\n  three\nfour five\n  six\n"},
      {"a  b    c d", 8, "a  b\n  c d"},  // the spaces of a column stay as they are on a line
      {"   ", 2, "   "},
  };
  for (const auto& c : cases) EXPECT_EQ(WrapLines(c.text, c.width), c.wrapped) << c.text;
}

}  // namespace
