#include "parentcode/qr_code.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

namespace {

// Level M's blocks of versions 1 to 10: the error correction codewords of each block, and the
// blocks of the two groups with their data codewords.
struct BlockLayout {
  int eccPerBlock;
  int blocks1;
  int data1;
  int blocks2;
  int data2;
};
constexpr std::array<BlockLayout, 10> kLevelM = {{
    {10, 1, 16, 0, 0},
    {16, 1, 28, 0, 0},
    {26, 1, 44, 0, 0},
    {18, 2, 32, 0, 0},
    {24, 2, 43, 0, 0},
    {16, 4, 27, 0, 0},
    {18, 4, 31, 0, 0},
    {22, 2, 38, 2, 39},
    {22, 3, 36, 2, 37},
    {26, 4, 43, 1, 44},
}};
// The row and column centres of the alignment patterns of versions 2 to 10; version 1 has none.
const std::vector<std::vector<int>> kAlignmentCentres = {
    {}, {6, 18}, {6, 22}, {6, 26}, {6, 30}, {6, 34}, {6, 22, 38}, {6, 24, 42}, {6, 26, 46}, {6, 28, 50},
};
// The mode indicator of byte mode, and the pad codewords that fill a symbol's data.
constexpr uint32_t kByteMode = 0b0100;
constexpr uint8_t kPadCodewords[2] = {0xEC, 0x11};
// The BCH generators of the format and version bits, and the mask that keeps the format bits
// from being all light.
constexpr uint32_t kFormatGenerator = 0x537;
constexpr uint32_t kFormatMask = 0x5412;
constexpr uint32_t kVersionGenerator = 0x1F25;
// Level M's two bits in the format bits.
constexpr uint32_t kLevelMBits = 0b00;
constexpr int kMasks = 8;

int DataCodewords(int version) {
  const BlockLayout& layout = kLevelM[static_cast<size_t>(version - 1)];
  return layout.blocks1 * layout.data1 + layout.blocks2 * layout.data2;
}

int CountBits(int version) { return version < 10 ? 8 : 16; }

// The bytes a version holds: its data codewords less the mode and the count of bytes.
size_t ByteCapacity(int version) {
  return static_cast<size_t>((DataCodewords(version) * 8 - 4 - CountBits(version)) / 8);
}

uint8_t Multiply(uint8_t x, uint8_t y) {
  unsigned product = 0;
  for (int bit = 7; bit >= 0; --bit) {
    product <<= 1;
    if (product & 0x100) product ^= 0x11D;
    if ((y >> bit) & 1) product ^= x;
  }
  return static_cast<uint8_t>(product);
}

// The remainder of value times x^degree, divided by the generator (bits, highest first).
uint32_t BchRemainder(uint32_t value, int degree, uint32_t generator) {
  uint32_t remainder = value;
  for (int i = 0; i < degree; ++i) remainder = (remainder << 1) ^ (((remainder >> (degree - 1)) & 1) * generator);
  return remainder;
}

// The data codewords: mode, count, the bytes, the terminator and the pad codewords.
std::vector<uint8_t> DataCodewordsOf(std::string_view bytes, int version) {
  std::vector<bool> bits;
  const auto append = [&bits](uint32_t value, int count) {
    for (int bit = count - 1; bit >= 0; --bit) bits.push_back(((value >> bit) & 1) != 0);
  };
  append(kByteMode, 4);
  append(static_cast<uint32_t>(bytes.size()), CountBits(version));
  for (const char c : bytes) append(static_cast<unsigned char>(c), 8);
  const size_t capacity = static_cast<size_t>(DataCodewords(version)) * 8;
  append(0, static_cast<int>(std::min<size_t>(4, capacity - bits.size())));
  while (bits.size() % 8 != 0) bits.push_back(false);
  std::vector<uint8_t> codewords;
  for (size_t i = 0; i < bits.size(); i += 8) {
    uint8_t codeword = 0;
    for (size_t bit = 0; bit < 8; ++bit) codeword = static_cast<uint8_t>((codeword << 1) | (bits[i + bit] ? 1 : 0));
    codewords.push_back(codeword);
  }
  for (size_t pad = 0; codewords.size() < capacity / 8; ++pad) codewords.push_back(kPadCodewords[pad % 2]);
  return codewords;
}

// Every codeword in the order of placement: the blocks' data codewords interleaved, then their
// error correction codewords interleaved.
std::vector<uint8_t> InterleavedCodewords(const std::vector<uint8_t>& data, int version) {
  const BlockLayout& layout = kLevelM[static_cast<size_t>(version - 1)];
  std::vector<std::vector<uint8_t>> blocks;
  std::vector<std::vector<uint8_t>> eccs;
  size_t next = 0;
  for (int block = 0; block < layout.blocks1 + layout.blocks2; ++block) {
    const size_t length = static_cast<size_t>(block < layout.blocks1 ? layout.data1 : layout.data2);
    blocks.emplace_back(data.begin() + static_cast<long>(next), data.begin() + static_cast<long>(next + length));
    eccs.push_back(ReedSolomonRemainder(blocks.back(), layout.eccPerBlock));
    next += length;
  }
  std::vector<uint8_t> result;
  for (const auto* group : {&blocks, &eccs}) {
    size_t longest = 0;
    for (const auto& block : *group) longest = std::max(longest, block.size());
    for (size_t i = 0; i < longest; ++i)
      for (const auto& block : *group)
        if (i < block.size()) result.push_back(block[i]);
  }
  return result;
}

// The symbol while it is built: its modules and which of them belong to the fixed patterns.
class Builder {
 public:
  explicit Builder(int version) : version_(version), size_(17 + 4 * version), dark_(Cells()), fixed_(Cells()) {
    for (int i = 0; i < size_; ++i) {
      SetFixed(6, i, i % 2 == 0);  // the timing patterns
      SetFixed(i, 6, i % 2 == 0);
    }
    DrawFinder(0, 0);
    DrawFinder(0, size_ - 7);
    DrawFinder(size_ - 7, 0);
    const std::vector<int>& centres = kAlignmentCentres[static_cast<size_t>(version - 1)];
    for (const int row : centres)
      for (const int column : centres) {
        const bool onFinder = (row == 6 && column == 6) || (row == 6 && column == centres.back()) ||
                              (row == centres.back() && column == 6);
        if (!onFinder) DrawAlignment(row, column);
      }
    DrawFormat(0);  // reserves the format modules; the chosen mask's bits replace these
    if (version >= 7) DrawVersion();
  }

  // Places the codewords' bits in the two-column zigzag from the bottom right, upwards first,
  // around the fixed modules; the vertical timing column is skipped.
  void PlaceCodewords(const std::vector<uint8_t>& codewords) {
    const size_t bitCount = codewords.size() * 8;
    size_t bit = 0;
    for (int right = size_ - 1; right >= 1; right -= 2) {
      if (right == 6) right = 5;
      const bool upward = ((right + 1) & 2) == 0;
      for (int step = 0; step < size_; ++step) {
        const int row = upward ? size_ - 1 - step : step;
        for (const int column : {right, right - 1}) {
          if (fixed_[Index(row, column)] || bit >= bitCount) continue;
          dark_[Index(row, column)] = (codewords[bit / 8] >> (7 - bit % 8)) & 1;
          ++bit;
        }
      }
    }
  }

  // The symbol with the mask applied and its format bits drawn.
  QrCode Masked(int mask) const {
    Builder masked = *this;
    for (int row = 0; row < size_; ++row)
      for (int column = 0; column < size_; ++column)
        if (!fixed_[Index(row, column)] && MaskInverts(mask, row, column)) masked.dark_[Index(row, column)] ^= 1;
    masked.DrawFormat(mask);
    return QrCode(version_, masked.dark_);
  }

 private:
  std::vector<uint8_t> Cells() const { return std::vector<uint8_t>(static_cast<size_t>(size_ * size_), 0); }
  size_t Index(int row, int column) const { return static_cast<size_t>(row * size_ + column); }
  void SetFixed(int row, int column, bool dark) {
    dark_[Index(row, column)] = dark ? 1 : 0;
    fixed_[Index(row, column)] = 1;
  }

  static bool MaskInverts(int mask, int row, int column) {
    switch (mask) {
      case 0: return (row + column) % 2 == 0;
      case 1: return row % 2 == 0;
      case 2: return column % 3 == 0;
      case 3: return (row + column) % 3 == 0;
      case 4: return (row / 2 + column / 3) % 2 == 0;
      case 5: return (row * column) % 2 + (row * column) % 3 == 0;
      case 6: return ((row * column) % 2 + (row * column) % 3) % 2 == 0;
      default: return ((row + column) % 2 + (row * column) % 3) % 2 == 0;
    }
  }

  // A finder pattern with its light separator, clipped to the symbol: rings of 1, 1, 3 and 1
  // modules around a 3 by 3 centre, dark, light, dark, light.
  void DrawFinder(int top, int left) {
    for (int dr = -1; dr <= 7; ++dr)
      for (int dc = -1; dc <= 7; ++dc) {
        const int row = top + dr;
        const int column = left + dc;
        if (row < 0 || column < 0 || row >= size_ || column >= size_) continue;
        const int ring = std::max(std::abs(dr - 3), std::abs(dc - 3));
        SetFixed(row, column, ring <= 1 || ring == 3);
      }
  }

  void DrawAlignment(int centreRow, int centreColumn) {
    for (int dr = -2; dr <= 2; ++dr)
      for (int dc = -2; dc <= 2; ++dc)
        SetFixed(centreRow + dr, centreColumn + dc, std::max(std::abs(dr), std::abs(dc)) != 1);
  }

  // The format bits twice, lowest bit first: down column 8 and along row 8 beside the top left
  // finder, then along row 8 under the top right one and down column 8 beside the bottom left
  // one; and the module that is always dark.
  void DrawFormat(int mask) {
    const uint32_t bits = QrFormatBits(mask);
    const auto bit = [bits](int i) { return ((bits >> i) & 1) != 0; };
    for (int i = 0; i <= 5; ++i) SetFixed(i, 8, bit(i));
    SetFixed(7, 8, bit(6));
    SetFixed(8, 8, bit(7));
    SetFixed(8, 7, bit(8));
    for (int i = 9; i < 15; ++i) SetFixed(8, 14 - i, bit(i));
    for (int i = 0; i < 8; ++i) SetFixed(8, size_ - 1 - i, bit(i));
    for (int i = 8; i < 15; ++i) SetFixed(size_ - 15 + i, 8, bit(i));
    SetFixed(size_ - 8, 8, true);
  }

  // The version bits in the 6 by 3 blocks beside the top right and the bottom left finders.
  void DrawVersion() {
    const uint32_t bits = QrVersionBits(version_);
    for (int i = 0; i < 18; ++i) {
      const bool dark = ((bits >> i) & 1) != 0;
      const int across = size_ - 11 + i % 3;
      SetFixed(i / 3, across, dark);
      SetFixed(across, i / 3, dark);
    }
  }

  int version_;
  int size_;
  std::vector<uint8_t> dark_;
  std::vector<uint8_t> fixed_;
};

// The penalty the standard gives a masked symbol; the mask of the least is kept.
int Penalty(const QrCode& code) {
  const int size = code.Size();
  int penalty = 0;
  int darkModules = 0;
  for (int line = 0; line < size; ++line) {
    for (const bool alongRow : {true, false}) {
      const auto at = [&](int i) { return alongRow ? code.IsDark(line, i) : code.IsDark(i, line); };
      // Runs of five or more of one colour: 3, and 1 for each module more.
      int run = 1;
      for (int i = 1; i <= size; ++i) {
        if (i < size && at(i) == at(i - 1)) {
          ++run;
          continue;
        }
        if (run >= 5) penalty += run - 2;
        run = 1;
      }
      // Dark, light, dark 3, light, dark with four light modules before or after: 40.
      static constexpr std::array<bool, 11> kFinderLike = {true, false, true, true, true, false,
                                                           true, false, false, false, false};
      for (int i = 0; i + 11 <= size; ++i) {
        bool forward = true;
        bool backward = true;
        for (int k = 0; k < 11; ++k) {
          forward = forward && at(i + k) == kFinderLike[static_cast<size_t>(k)];
          backward = backward && at(i + k) == kFinderLike[static_cast<size_t>(10 - k)];
        }
        penalty += (forward ? 40 : 0) + (backward ? 40 : 0);
      }
    }
    for (int column = 0; column < size; ++column) {
      darkModules += code.IsDark(line, column) ? 1 : 0;
      // Each 2 by 2 square of one colour: 3.
      if (line + 1 < size && column + 1 < size && code.IsDark(line, column) == code.IsDark(line, column + 1) &&
          code.IsDark(line, column) == code.IsDark(line + 1, column) &&
          code.IsDark(line, column) == code.IsDark(line + 1, column + 1))
        penalty += 3;
    }
  }
  // 10 for each 5% the share of dark modules lies away from half.
  const int total = size * size;
  penalty += 10 * (std::abs(darkModules * 20 - total * 10) / total);
  return penalty;
}

}  // namespace

QrCode::QrCode(int version, std::vector<uint8_t> modules)
    : version_(version), size_(17 + 4 * version), modules_(std::move(modules)) {}

std::vector<uint8_t> ReedSolomonRemainder(const std::vector<uint8_t>& data, int eccCount) {
  // The generator: the product of (x - 2^i) for i below eccCount, highest coefficient first.
  std::vector<uint8_t> generator{1};
  uint8_t root = 1;
  for (int i = 0; i < eccCount; ++i) {
    std::vector<uint8_t> next(generator.size() + 1, 0);
    for (size_t j = 0; j < generator.size(); ++j) {
      next[j] ^= generator[j];
      next[j + 1] ^= Multiply(generator[j], root);
    }
    generator = std::move(next);
    root = Multiply(root, 2);
  }
  std::vector<uint8_t> remainder(static_cast<size_t>(eccCount), 0);
  for (const uint8_t codeword : data) {
    const uint8_t factor = codeword ^ remainder.front();
    remainder.erase(remainder.begin());
    remainder.push_back(0);
    for (size_t i = 0; i < remainder.size(); ++i) remainder[i] ^= Multiply(generator[i + 1], factor);
  }
  return remainder;
}

uint32_t QrFormatBits(int mask) {
  const uint32_t data = (kLevelMBits << 3) | static_cast<uint32_t>(mask);
  return ((data << 10) | BchRemainder(data, 10, kFormatGenerator)) ^ kFormatMask;
}

uint32_t QrVersionBits(int version) {
  const uint32_t data = static_cast<uint32_t>(version);
  return (data << 12) | BchRemainder(data, 12, kVersionGenerator);
}

std::optional<QrCode> EncodeQrCode(std::string_view bytes) {
  int version = 1;
  while (version <= static_cast<int>(kLevelM.size()) && ByteCapacity(version) < bytes.size()) ++version;
  if (version > static_cast<int>(kLevelM.size())) return std::nullopt;
  Builder builder(version);
  builder.PlaceCodewords(InterleavedCodewords(DataCodewordsOf(bytes, version), version));
  std::optional<QrCode> best;
  int bestPenalty = std::numeric_limits<int>::max();
  for (int mask = 0; mask < kMasks; ++mask) {
    QrCode candidate = builder.Masked(mask);
    const int penalty = Penalty(candidate);
    if (penalty < bestPenalty) {
      bestPenalty = penalty;
      best = std::move(candidate);
    }
  }
  return best;
}

QrGlyphs Utf8QrGlyphs() { return {"\xE2\x96\x88", "\xE2\x96\x80", "\xE2\x96\x84"}; }

std::vector<std::string> RenderQrCode(const QrCode& code, const QrGlyphs& glyphs) {
  constexpr int kQuietZone = 4;
  const int side = code.Size() + 2 * kQuietZone;
  // Light: a light module or the quiet zone; below the quiet zone lies the console's dark ground.
  const auto light = [&](int row, int column) {
    if (row >= side) return false;
    row -= kQuietZone;
    column -= kQuietZone;
    return row < 0 || column < 0 || row >= code.Size() || column >= code.Size() || !code.IsDark(row, column);
  };
  std::vector<std::string> lines;
  for (int row = 0; row < side; row += 2) {
    std::string line;
    for (int column = 0; column < side; ++column) {
      const bool upper = light(row, column);
      const bool lower = light(row + 1, column);
      line += upper && lower ? glyphs.full : upper ? glyphs.upper : lower ? glyphs.lower : " ";
    }
    lines.push_back(std::move(line));
  }
  return lines;
}
