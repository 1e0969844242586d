#include "parentcode/one_time_code.h"

namespace {

// The window of steps a code may come from: one before the current step and one after.
constexpr int64_t kStepsEitherSide = 1;

// Compares two texts in a time that does not depend on where they differ.
bool SameCode(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned difference = 0;
  for (size_t i = 0; i < a.size(); ++i) difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  return difference == 0;
}

}  // namespace

int64_t CodeStep(int64_t utcSeconds) {
  const int64_t step = utcSeconds / kCodeStepSeconds;
  return utcSeconds % kCodeStepSeconds < 0 ? step - 1 : step;
}

CodeResult CounterCode(const HmacSha1& hmac, std::string_view secret, int64_t counter, int digits) {
  char message[8];
  for (int i = 7; i >= 0; --i) {  // the counter as 8 bytes, most significant first
    message[i] = static_cast<char>(static_cast<uint64_t>(counter) & 0xFF);
    counter = static_cast<int64_t>(static_cast<uint64_t>(counter) >> 8);
  }
  const CallResult<Sha1Digest> result = hmac.Compute(secret, std::string_view(message, sizeof message));
  if (!result) return {std::nullopt, result.Failure()};
  const Sha1Digest& digest = result.Value();
  // Dynamic truncation: the low four bits of the last byte choose where four bytes are read,
  // the top bit of the first dropped.
  const int offset = digest[19] & 0x0F;
  const uint32_t binary = (static_cast<uint32_t>(digest[offset] & 0x7F) << 24) |
                          (static_cast<uint32_t>(digest[offset + 1]) << 16) |
                          (static_cast<uint32_t>(digest[offset + 2]) << 8) | digest[offset + 3];
  uint32_t modulus = 1;
  for (int i = 0; i < digits; ++i) modulus *= 10;
  std::string code = std::to_string(binary % modulus);
  return {std::string(static_cast<size_t>(digits) - code.size(), '0') + code, {}};
}

CodeMatch MatchCode(const HmacSha1& hmac, std::string_view secret, std::string_view code, int64_t utcSeconds,
                    int64_t lastAcceptedStep) {
  const int64_t current = CodeStep(utcSeconds);
  CodeMatch match;
  for (int64_t step = current - kStepsEitherSide; step <= current + kStepsEitherSide; ++step) {
    if (step <= lastAcceptedStep) continue;
    const CodeResult expected = CounterCode(hmac, secret, step);
    if (!expected.code) return {std::nullopt, expected.failure};
    if (SameCode(*expected.code, code) && !match.step) match.step = step;
  }
  return match;
}
