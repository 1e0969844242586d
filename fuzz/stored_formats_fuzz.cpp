// The stored formats: the space split of day filters and allowances, the 32-bit decimal parse of
// minute counts, against plain reference readings, and the ledger of days read from the input's
// lines: what it writes reads back as itself, pruning keeps the latest 62 days, and the date a
// minute counts on follows the ledger's rules.

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "core/day_ledger.h"
#include "fuzz_support.h"
#include "settings/stored_formats.h"

namespace {

// The text with every run of spaces made one space and the spaces at both ends dropped.
std::string CollapsedSpaces(std::string_view text) {
  std::string collapsed;
  for (const char c : text) {
    if (c == ' ' && (collapsed.empty() || collapsed.back() == ' ')) continue;
    collapsed.push_back(c);
  }
  if (!collapsed.empty() && collapsed.back() == ' ') collapsed.pop_back();
  return collapsed;
}

// An optional minus sign, then one digit or more, within 32 bits; digit by digit in 64 bits.
std::optional<int32_t> ReferenceDecimal(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  int64_t magnitude = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > int64_t{1} << 31) return std::nullopt;
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(value);
}

void CheckSplit(std::string_view text) {
  const StringList pieces = SplitAtSpaces(text);
  std::string joined;
  for (const std::string& piece : pieces) {
    Require(!piece.empty(), "a split never yields an empty piece");
    Require(piece.find(' ') == std::string::npos, "a split never yields a piece holding a space", piece);
    joined += (joined.empty() ? "" : " ") + piece;
  }
  Require(joined == CollapsedSpaces(text), "the pieces joined with single spaces are the text with runs collapsed");
}

void CheckDecimal(std::string_view text) {
  Require(ParseDecimal32(text) == ReferenceDecimal(text), "ParseDecimal32 agrees with the reference reading",
          text);
}

void CheckLedger(std::string_view text) {
  std::vector<std::string> lines;
  for (const std::string_view line : Split(text, '\n', 200)) lines.emplace_back(line);
  DayLedger ledger = ParseLedger(lines).ledger;
  const LedgerReading again = ParseLedger(LedgerLines(ledger));
  Require(again.badLines.empty() && again.ledger == ledger, "the lines a ledger writes read back as itself");
  const DayLedger before = ledger;
  PruneLedger(ledger);
  for (const auto& [date, minutes] : before.minutes)
    Require(ledger.minutes.count(date) == (before.minutes.rbegin()->first - date < kLedgerDays ? 1u : 0u),
            "pruning keeps exactly the 62 days up to the latest date");
  // Today: the first line's date moved by the first byte. Its count goes on, a later date is new,
  // an earlier one not counted goes on the latest date.
  const int32_t today = (before.minutes.empty() ? 46000 : before.minutes.begin()->first) +
                        (text.empty() ? 0 : static_cast<unsigned char>(text[0]) % 200 - 100);
  const CountingDay day = DayToCount(before, today);
  const bool counted = before.minutes.count(today) == 1;
  const bool later = before.minutes.empty() || today > before.minutes.rbegin()->first;
  const int32_t expectedDate = counted || later ? today : before.minutes.rbegin()->first;
  Require(day.date == expectedDate && day.minutes == (counted || !later ? before.minutes.at(expectedDate) : 0),
          "a minute counts on the date the ledger's rules give");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = InputText(data, size);
  CheckSplit(text);
  CheckDecimal(text);
  for (const std::string& piece : SplitAtSpaces(text)) CheckDecimal(piece);
  CheckLedger(text);

  // What the writers store, std::to_string of a number, reads back as that number.
  if (size >= 4) {
    const auto number = static_cast<int32_t>(uint32_t{data[0]} | uint32_t{data[1]} << 8 | uint32_t{data[2]} << 16 |
                                             uint32_t{data[3]} << 24);
    Require(ParseDecimal32(std::to_string(number)) == number, "a written number reads back as itself");
  }
  return 0;
}
