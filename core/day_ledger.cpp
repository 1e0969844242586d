#include "core/day_ledger.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/date_time.h"

namespace {

// The count of a line: decimal digits only, within 32 bits.
std::optional<int32_t> LineCount(std::string_view text) {
  int32_t count = 0;
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(text.data(), last, count);
  if (text.empty() || text.front() == '-' || error != std::errc() || end != last) return std::nullopt;
  return count;
}

}  // namespace

std::optional<int32_t> LedgerDate(std::string_view text) {
  const std::optional<double> date = ParseStoredDate(text);
  if (!date) return std::nullopt;
  return static_cast<int32_t>(*date);
}

std::string LedgerDateText(int32_t date) { return FormatStoredDate(date); }

int32_t LedgerDateOf(double dateTime) {
  return LedgerDate(FormatStoredDate(dateTime)).value_or(static_cast<int32_t>(std::floor(dateTime)));
}

LedgerReading ParseLedger(const std::vector<std::string>& lines) {
  LedgerReading reading;
  for (const std::string& line : lines) {
    const size_t equals = line.find('=');
    const std::optional<int32_t> date =
        equals == std::string::npos ? std::nullopt : LedgerDate(std::string_view(line).substr(0, equals));
    const std::optional<int32_t> count =
        date ? LineCount(std::string_view(line).substr(equals + 1)) : std::nullopt;
    if (!count) {
      reading.badLines.push_back(line);
      continue;
    }
    const auto [entry, added] = reading.ledger.minutes.emplace(*date, *count);
    if (added) continue;
    // Two counts of one day: the larger one, so that no minute is given back by a damaged value.
    entry->second = std::max(entry->second, *count);
    reading.badLines.push_back(line);
  }
  return reading;
}

std::vector<std::string> LedgerLines(const DayLedger& ledger) {
  std::vector<std::string> lines;
  for (const auto& [date, minutes] : ledger.minutes)
    lines.push_back(LedgerDateText(date) + "=" + std::to_string(minutes));
  return lines;
}

void PruneLedger(DayLedger& ledger) {
  if (ledger.minutes.empty()) return;
  const int32_t latest = ledger.minutes.rbegin()->first;
  ledger.minutes.erase(ledger.minutes.begin(), ledger.minutes.lower_bound(latest - (kLedgerDays - 1)));
}

void PutCount(DayLedger& ledger, int32_t date, int32_t minutes) {
  ledger.minutes[date] = minutes;
  PruneLedger(ledger);
  ledger.minutes[date] = minutes;
}

void TakeCount(DayLedger& ledger, std::string_view dateText, int32_t minutes) {
  if (const std::optional<int32_t> date = LedgerDate(dateText)) ledger.minutes[*date] = minutes;
}

CountingDay DayToCount(const DayLedger& ledger, int32_t today) {
  if (const auto own = ledger.minutes.find(today); own != ledger.minutes.end())
    return {today, own->second, CountedAs::kOwnDate};
  if (ledger.minutes.empty() || today > ledger.minutes.rbegin()->first) return {today, 0, CountedAs::kNewDay};
  const auto& [latest, minutes] = *ledger.minutes.rbegin();
  return {latest, minutes, CountedAs::kLatestDate};
}

int32_t LowerCount(DayLedger& ledger, int32_t date, int32_t minutes) {
  const auto entry = ledger.minutes.find(date);
  if (entry == ledger.minutes.end() || entry->second <= 0 || minutes <= 0) return 0;
  const int32_t taken = std::min(entry->second, minutes);
  entry->second -= taken;
  return taken;
}
