#include "timesync/time_page.h"

#include <algorithm>

#include "base/text_helpers.h"

namespace {

constexpr std::string_view kMarker = "<PRE>";
constexpr std::string_view kZoneLabel = "UTC";
// The date starts this many characters after the first character of the marker.
constexpr size_t kDateOffset = 10;
// Scanned numbers are capped here; any larger value fails the validation just the same.
constexpr int kNumberCap = 1'000'000;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Reads blank-separated values from the front of a text, as the C scanner's %s and %d do.
class ValueScanner {
 public:
  explicit ValueScanner(std::string_view text) : text_(text) {}

  // A run of non-blank characters.
  bool Word(std::string& word) {
    SkipBlanks();
    const size_t start = pos_;
    while (pos_ < text_.size() && !IsBlank(text_[pos_])) ++pos_;
    word.assign(text_.substr(start, pos_ - start));
    return !word.empty();
  }

  // A decimal integer with an optional sign.
  bool Integer(int& value) {
    SkipBlanks();
    bool negative = false;
    if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) negative = text_[pos_++] == '-';
    if (pos_ >= text_.size() || !IsDigit(text_[pos_])) return false;
    int magnitude = 0;
    while (pos_ < text_.size() && IsDigit(text_[pos_]))
      magnitude = std::min(kNumberCap, magnitude * 10 + (text_[pos_++] - '0'));
    value = negative ? -magnitude : magnitude;
    return true;
  }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }

  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

std::optional<PageTimeText> ScanTimePage(std::string_view page) {
  page = page.substr(0, std::min(page.size(), kTimePageReadSize));
  const size_t marker = page.find(kMarker);
  if (marker == std::string_view::npos) return std::nullopt;
  const size_t start = marker + kDateOffset;
  const size_t zone = page.find(kZoneLabel);
  if (zone == std::string_view::npos || zone < start) return std::nullopt;

  std::string text(page.substr(start, zone - start));
  std::replace_if(text.begin(), text.end(), [](char c) { return c == '.' || c == ',' || c == ':'; }, ' ');
  ValueScanner scanner(text);
  PageTimeText values;
  if (!scanner.Word(values.monthName) || !scanner.Integer(values.day) || !scanner.Integer(values.hour) ||
      !scanner.Integer(values.minute) || !scanner.Integer(values.second))
    return std::nullopt;
  return values;
}

int MonthNumber(std::string_view name, const StringList& monthNames) {
  if (name.size() > kMaxMonthNameLength) return 0;
  const int index = monthNames.IndexOf(name);
  return index >= 0 && index < 12 ? index + 1 : 0;
}

std::optional<DateTimeParts> PageUtcTime(const PageTimeText& text, const StringList& monthNames,
                                         const DateTimeParts& reference) {
  const int month = MonthNumber(text.monthName, monthNames);
  if (month == 0) return std::nullopt;
  int year = reference.year;
  if (month == 12 && reference.month == 1) --year;
  if (month == 1 && reference.month == 12) ++year;
  if (!IsValidDate(year, month, text.day) || !IsValidTime(text.hour, text.minute, text.second)) return std::nullopt;
  return DateTimeParts{year, month, text.day, text.hour, text.minute, text.second, 0};
}
