#include "parentcode/base32.h"

#include <cstdint>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
constexpr int kBitsPerDigit = 5;

int DigitValue(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a';
  if (c >= '2' && c <= '7') return c - '2' + 26;
  return -1;
}

}  // namespace

std::string EncodeBase32(std::string_view bytes) {
  std::string text;
  uint32_t buffer = 0;
  int bits = 0;
  for (const char byte : bytes) {
    buffer = (buffer << 8) | static_cast<uint8_t>(byte);
    bits += 8;
    while (bits >= kBitsPerDigit) {
      bits -= kBitsPerDigit;
      text += kAlphabet[(buffer >> bits) & 0x1F];
    }
  }
  if (bits > 0) text += kAlphabet[(buffer << (kBitsPerDigit - bits)) & 0x1F];
  return text;
}

std::optional<std::string> DecodeBase32(std::string_view text) {
  while (!text.empty() && (text.back() == '=' || text.back() == ' ')) text.remove_suffix(1);
  std::string bytes;
  uint32_t buffer = 0;
  int bits = 0;
  for (const char c : text) {
    if (c == ' ') continue;
    const int value = DigitValue(c);
    if (value < 0) return std::nullopt;
    buffer = (buffer << kBitsPerDigit) | static_cast<uint32_t>(value);
    bits += kBitsPerDigit;
    if (bits >= 8) {
      bits -= 8;
      bytes += static_cast<char>((buffer >> bits) & 0xFF);
    }
  }
  if ((buffer & ((1u << bits) - 1)) != 0) return std::nullopt;
  return bytes;
}
