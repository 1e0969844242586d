#include "parentcode/qr_code.h"

#include <gtest/gtest.h>

namespace {

TEST(QrCodeTest, ReedSolomonGivesTheStandardsExampleCodewords) {
  // Version 1-M of "01234567": its 16 data codewords and their 10 error correction codewords.
  const std::vector<uint8_t> data = {16, 32, 12, 86, 97, 128, 236, 17, 236, 17, 236, 17, 236, 17, 236, 17};
  EXPECT_EQ(ReedSolomonRemainder(data, 10), (std::vector<uint8_t>{165, 36, 212, 193, 237, 54, 199, 135, 44, 85}));
}

TEST(QrCodeTest, FormatAndVersionBitsAreThoseOfTheStandardsTables) {
  const std::pair<int, uint32_t> formats[] = {
      {0, 0b101010000010010}, {1, 0b101000100100101}, {4, 0b100010111111001}, {7, 0b100101010100000}};
  for (const auto& [mask, bits] : formats) EXPECT_EQ(QrFormatBits(mask), bits) << "mask " << mask;
  const std::pair<int, uint32_t> versions[] = {{7, 0x07C94}, {8, 0x085BC}, {9, 0x09A99}, {10, 0x0A4D3}};
  for (const auto& [version, bits] : versions) EXPECT_EQ(QrVersionBits(version), bits) << "version " << version;
}

TEST(QrCodeTest, TakesTheSmallestVersionThatHoldsTheBytes) {
  const std::pair<size_t, int> cases[] = {{0, 1}, {14, 1}, {15, 2}, {106, 6}, {107, 7}, {129, 8}, {213, 10}};
  for (const auto& [bytes, version] : cases) {
    const std::optional<QrCode> code = EncodeQrCode(std::string(bytes, 'a'));
    ASSERT_TRUE(code) << bytes;
    EXPECT_EQ(code->Version(), version) << bytes << " bytes";
    EXPECT_EQ(code->Size(), 17 + 4 * version);
  }
  EXPECT_FALSE(EncodeQrCode(std::string(kMaxQrBytes + 1, 'a')));
}

TEST(QrCodeTest, RendersTwoRowsALineInsideALitQuietZone) {
  const std::vector<std::string> lines = RenderQrCode(*EncodeQrCode("x"), {"#", "'", ","});
  ASSERT_EQ(lines.size(), 15u) << "21 modules and 8 of quiet zone: 29 rows";
  EXPECT_EQ(lines[1], std::string(29, '#'));
  EXPECT_EQ(lines[2].substr(0, 12), "#### ,,,,, #") << "the top left finder's first two rows";
  EXPECT_EQ(lines[14], std::string(29, '\'')) << "the last quiet row over the console's ground";
}

}  // namespace
