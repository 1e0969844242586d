#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// QR codes (ISO/IEC 18004) of a text in byte mode, so that a phone's camera can take the
// authenticator address instead of a parent typing 32 letters. Error correction level M (about
// 15% of the symbol may be unreadable, the usual choice for a code shown on a screen); versions 1
// to 10, the smallest that holds the text: up to 213 bytes, where the address of a 32-letter
// secret and a computer name of 15 characters, each percent-encoded, takes at most 129 (version 8).

// The square of modules of one symbol, without its quiet zone.
class QrCode {
 public:
  QrCode(int version, std::vector<uint8_t> modules);
  int Version() const { return version_; }
  // Modules per side: 17 + 4 per version.
  int Size() const { return size_; }
  // True for a dark module; row and column count from the top left, 0-based.
  bool IsDark(int row, int column) const { return modules_[static_cast<size_t>(row * size_ + column)] != 0; }

 private:
  int version_;
  int size_;
  std::vector<uint8_t> modules_;
};

// The most bytes a symbol holds.
inline constexpr size_t kMaxQrBytes = 213;

// The symbol of the bytes, with the mask of the least penalty; nothing for more than kMaxQrBytes.
std::optional<QrCode> EncodeQrCode(std::string_view bytes);

// How the console draws one character cell of two module rows, light modules lit: both light,
// the upper light, the lower light. A cell whose modules are both dark is a blank. Lit light
// modules suit the console's light text on a dark ground, around which the quiet zone is lit too.
struct QrGlyphs {
  std::string full;
  std::string upper;
  std::string lower;
};
// U+2588, U+2580 and U+2584 in UTF-8.
QrGlyphs Utf8QrGlyphs();

// The symbol in lines of text, two module rows a line, inside a quiet zone of four light modules.
std::vector<std::string> RenderQrCode(const QrCode& code, const QrGlyphs& glyphs);

// The pieces of the symbol, for the tests against the values of the standard.
// The error correction codewords of the data: the remainder of the Reed-Solomon code over
// GF(256) (polynomial 0x11D) with a generator of that many codewords.
std::vector<uint8_t> ReedSolomonRemainder(const std::vector<uint8_t>& data, int eccCount);
// The 15 format bits of level M and the mask (0-7), with their BCH code and the fixed XOR mask.
uint32_t QrFormatBits(int mask);
// The 18 version bits of a version of 7 or more, with their BCH code.
uint32_t QrVersionBits(int version);
