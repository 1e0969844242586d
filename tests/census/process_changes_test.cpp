#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "census/process_changes.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The hashed comparison must agree with SameText byte for byte, or a line would be taken for a
// new process (or an old one missed) depending on its letters.
TEST(CaseInsensitiveHashTest, AgreesWithSameTextForEveryPairOfBytes) {
  const CaseInsensitiveHash hash;
  const CaseInsensitiveEqual equal;
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      // Placed in a word of its own and at the end of a short tail.
      const std::string left = "1234567" + std::string(1, static_cast<char>(a)) + "xy";
      const std::string right = "1234567" + std::string(1, static_cast<char>(b)) + "xy";
      const bool same = SameText(left, right);
      ASSERT_EQ(equal(left, right), same) << a << " " << b;
      if (same) {
        ASSERT_EQ(hash(left), hash(right)) << a << " " << b;
      }
    }
  }
}

TEST(CaseInsensitiveHashTest, FoldsEveryPositionOfLongAndShortTexts) {
  const CaseInsensitiveHash hash;
  const std::string lower = "4711 | alice | notepad.exe | \\device\\harddiskvolume1\\notepad.exe ";
  for (size_t length = 0; length <= lower.size(); ++length) {
    for (size_t at = 0; at < length; ++at) {
      std::string mixed = lower.substr(0, length);
      mixed[at] = static_cast<char>(std::toupper(static_cast<unsigned char>(mixed[at])));
      ASSERT_EQ(hash(mixed), hash(lower.substr(0, length))) << mixed;
    }
  }
  EXPECT_NE(hash("4 | alice | a.exe | p "), hash("8 | alice | a.exe | p "));
  EXPECT_NE(hash("ab"), hash(std::string("ab\0", 3)));  // a zero byte is not padding
}

TEST(CompareCensusesTest, RepeatedLinesAreJudgedEachByItsText) {
  const StringList previous{"7 | a | x | p ", "7 | A | X | P ", "9 | b | y | p "};
  const StringList current{"7 | a | x | p ", "9 | b | y | q ", "9 | b | y | q "};
  const ProcessChanges changes = CompareCensuses(previous, current);
  EXPECT_THAT(changes.appeared, ElementsAre(1, 2));
  EXPECT_THAT(changes.disappeared, ElementsAre(2));
  EXPECT_THAT(CompareCensuses(StringList{}, StringList{}).appeared, IsEmpty());
}

}  // namespace
