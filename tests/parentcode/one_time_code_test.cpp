#include "parentcode/one_time_code.h"

#include <gtest/gtest.h>

#include "fakes/platform_hmac.h"
#include "parentcode/base32.h"

namespace {

// RFC 6238, appendix B, the SHA-1 rows: eight digits at each UTC time.
TEST(OneTimeCodeTest, GivesTheCodesOfTheRfc6238TestVectors) {
  const struct {
    int64_t utcSeconds;
    int64_t step;
    const char* code;
  } vectors[] = {
      {59, 0x1, "94287082"},          {1111111109, 0x23523EC, "07081804"}, {1111111111, 0x23523ED, "14050471"},
      {1234567890, 0x273EF07, "89005924"}, {2000000000, 0x3F940AA, "69279037"}, {20000000000, 0x27BC86AA, "65353130"},
  };
  PlatformHmacSha1 hmac;
  for (const auto& vector : vectors) {
    EXPECT_EQ(CodeStep(vector.utcSeconds), vector.step) << vector.utcSeconds;
    EXPECT_EQ(CounterCode(hmac, kRfcSecret, vector.step, 8).code, vector.code) << vector.utcSeconds;
  }
}

// RFC 4226, appendix D: the six-digit codes of the counters 0 to 9, leading zeros kept.
TEST(OneTimeCodeTest, GivesTheSixDigitCodesOfRfc4226) {
  const char* codes[] = {"755224", "287082", "359152", "969429", "338314",
                         "254676", "287922", "162583", "399871", "520489"};
  PlatformHmacSha1 hmac;
  for (int counter = 0; counter < 10; ++counter) EXPECT_EQ(CounterCode(hmac, kRfcSecret, counter).code, codes[counter]);
}

TEST(OneTimeCodeTest, StepsCountWhole30SecondsFrom1970) {
  EXPECT_EQ(CodeStep(0), 0);
  EXPECT_EQ(CodeStep(29), 0);
  EXPECT_EQ(CodeStep(30), 1);
  EXPECT_EQ(CodeStep(-1), -1);
}

// The window: the step of the time and one either side, each only after the last one taken.
TEST(OneTimeCodeTest, MatchesTheCurrentStepAndOneEitherSideOnlyAfterTheLastTaken) {
  PlatformHmacSha1 hmac;
  constexpr int64_t now = 1'796'673'915;  // in step 59889130
  constexpr int64_t step = 59'889'130;
  const auto codeOf = [&](int64_t at) { return *CounterCode(hmac, kRfcSecret, at).code; };
  const struct {
    int64_t codeStep;
    int64_t lastTaken;
    std::optional<int64_t> matched;
  } cases[] = {
      {step, 0, step},          {step - 1, 0, step - 1},        {step + 1, 0, step + 1},
      {step - 2, 0, std::nullopt}, {step + 2, 0, std::nullopt}, {step, step, std::nullopt},
      {step - 1, step, std::nullopt}, {step + 1, step, step + 1},
  };
  for (const auto& c : cases) {
    const CodeMatch match = MatchCode(hmac, kRfcSecret, codeOf(c.codeStep), now, c.lastTaken);
    EXPECT_EQ(match.step, c.matched) << "code of step " << c.codeStep << ", last taken " << c.lastTaken;
    EXPECT_TRUE(match.failure.empty());
  }
  EXPECT_FALSE(MatchCode(hmac, kRfcSecret, "12345", now, 0).step) << "five digits are no code";
}

// RFC 4648's vectors, then what people type.
TEST(Base32Test, EncodesAndDecodesTheRfc4648Vectors) {
  const std::pair<const char*, const char*> vectors[] = {{"", ""},          {"f", "MY"},         {"fo", "MZXQ"},
                                                         {"foo", "MZXW6"},  {"foob", "MZXW6YQ"}, {"fooba", "MZXW6YTB"},
                                                         {"foobar", "MZXW6YTBOI"}};
  for (const auto& [bytes, text] : vectors) {
    EXPECT_EQ(EncodeBase32(bytes), text);
    EXPECT_EQ(DecodeBase32(text), bytes);
  }
  EXPECT_EQ(DecodeBase32("mzxw 6ytb oi======"), "foobar");
  EXPECT_EQ(DecodeBase32(EncodeBase32(kRfcSecret)), kRfcSecret);
}

TEST(Base32Test, RefusesTextsThatAreNoBase32) {
  for (const char* text : {"MZXW6YT1", "MZXW6YT8", "MZ-XW", "MZXW6YTBOJ", "MZ=XW"})
    EXPECT_FALSE(DecodeBase32(text)) << text;
}

}  // namespace
