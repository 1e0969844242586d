// The QR codes as a phone sees them: the console lines hwctl prints, turned back into pixels
// (a lit cell half is a light module) and read by zbarimg (Debian's zbar-tools).

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "parentcode/qr_code.h"

namespace {

constexpr int kPixelsPerModule = 4;

// The console lines as a PBM picture (1 is black), each module a square of pixels.
void WritePicture(const std::vector<std::string>& lines, const std::string& path) {
  std::vector<std::string> rows;  // '1' dark, '0' light, one character a module
  for (const std::string& line : lines) {
    std::string upper, lower;
    for (const char cell : line) {
      upper += cell == '#' || cell == '\'' ? '0' : '1';
      lower += cell == '#' || cell == ',' ? '0' : '1';
    }
    rows.push_back(upper);
    rows.push_back(lower);
  }
  std::ofstream picture(path);
  picture << "P1\n" << rows[0].size() * kPixelsPerModule << " " << rows.size() * kPixelsPerModule << "\n";
  for (const std::string& row : rows)
    for (int repeat = 0; repeat < kPixelsPerModule; ++repeat) {
      for (const char module : row)
        for (int pixel = 0; pixel < kPixelsPerModule; ++pixel) picture << module << ' ';
      picture << "\n";
    }
}

std::string Decode(const std::string& path) {
  FILE* reader = popen(("zbarimg --raw -q --nodbus '" + path + "' 2>/dev/null").c_str(), "r");
  std::string text;
  char buffer[512];
  while (reader != nullptr && std::fgets(buffer, sizeof buffer, reader) != nullptr) text += buffer;
  if (reader != nullptr) pclose(reader);
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

TEST(QrDecoderTest, ZbarReadsWhatTheConsoleShows) {
  const std::string longest = "otpauth://totp/Hourwarden:%21%23%24%25%26%27%28%29%2D%2E%5E%5F%7B%7D%7E?secret=" +
                              std::string(32, 'A') + "&issuer=Hourwarden";
  const std::string texts[] = {
      "Hourwarden",                                                                            // version 1
      "otpauth://totp/Hourwarden:KIDS-PC?secret=JBSWY3DPEHPK3PXPJBSWY3DPEHPK3PXP&issuer=Hourwarden",  // 5
      longest,                                                                                 // 8
      std::string(120, 'z'),                                                                   // 7
      std::string(200, '7'),                                                                   // 10
  };
  int index = 0;
  for (const std::string& text : texts) {
    const std::optional<QrCode> code = EncodeQrCode(text);
    ASSERT_TRUE(code) << text;
    const std::string path = ::testing::TempDir() + "hourwarden_qr_" + std::to_string(index++) + ".pbm";
    WritePicture(RenderQrCode(*code, {"#", "'", ","}), path);
    EXPECT_EQ(Decode(path), text) << "version " << code->Version() << ", " << text.size() << " bytes";
  }
  EXPECT_EQ(longest.size(), 129u);
}

}  // namespace
