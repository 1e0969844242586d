#include "parentcode/more_time_protocol.h"

#include <array>
#include <charconv>
#include <vector>

namespace {

struct Word {
  AnswerKind kind;
  std::string_view word;
  bool number;  // followed by a number
  bool time;    // followed by "HH:MM"
};

constexpr std::array<Word, 11> kWords = {{
    {AnswerKind::kAdded, "added", true, false},
    {AnswerKind::kWrongCode, "wrong", false, false},
    {AnswerKind::kLockedOut, "locked", false, true},
    {AnswerKind::kDailyMaximum, "maximum", true, false},
    {AnswerKind::kNotRestricted, "not-restricted", false, false},
    {AnswerKind::kNoParentCode, "no-code", false, false},
    {AnswerKind::kTimeNotConfirmed, "unconfirmed", false, false},
    {AnswerKind::kRefused, "refused", false, false},
    {AnswerKind::kUnavailable, "unavailable", false, false},
    {AnswerKind::kGrace, "grace", true, false},
    {AnswerKind::kGraceUsed, "grace-used", false, false},
}};

// The text without one line end at its end.
std::string_view WithoutLineEnd(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  return text;
}

// The pieces between single spaces; nothing when two spaces meet or one begins or ends the text.
std::optional<std::vector<std::string_view>> Fields(std::string_view text) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (true) {
    const size_t space = text.find(' ', start);
    const std::string_view field = text.substr(start, space == std::string_view::npos ? space : space - start);
    if (field.empty()) return std::nullopt;
    fields.push_back(field);
    if (space == std::string_view::npos) return fields;
    start = space + 1;
  }
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// A whole number of plain digits (no sign, no leading zero) up to the limit.
std::optional<int> NumberUpTo(std::string_view text, int limit) {
  if (!AllDigits(text) || text.size() > 4 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
  int value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  if (value > limit) return std::nullopt;
  return value;
}

bool IsClockTime(std::string_view text) {
  return text.size() == 5 && AllDigits(text.substr(0, 2)) && text[2] == ':' && AllDigits(text.substr(3)) &&
         text.substr(0, 2) <= "23" && text.substr(3) <= "59";
}

// The value of "name=value" when the field has that name.
std::optional<std::string_view> Named(std::string_view field, std::string_view name) {
  if (field.size() <= name.size() || field.substr(0, name.size()) != name || field[name.size()] != '=')
    return std::nullopt;
  return field.substr(name.size() + 1);
}

}  // namespace

constexpr std::string_view kTriesField = "tries";

std::string FormatMoreTimeRequest(const MoreTimeRequest& request) {
  std::string text = "more-time code=" + request.code;
  if (request.asksTriesLeft) text.append(" ").append(kTriesField);
  return text.append("\n");
}

std::optional<MoreTimeRequest> ParseMoreTimeRequest(std::string_view text) {
  if (text.size() > kMaxRequestBytes) return std::nullopt;
  const auto fields = Fields(WithoutLineEnd(text));
  if (!fields || fields->size() < 2 || fields->size() > 3 || (*fields)[0] != "more-time") return std::nullopt;
  const auto code = Named((*fields)[1], "code");
  if (!code || code->size() != 6 || !AllDigits(*code)) return std::nullopt;
  const bool asksTriesLeft = fields->size() == 3 && (*fields)[2] == kTriesField;
  if (fields->size() == 3 && !asksTriesLeft) {
    const auto minutesText = Named((*fields)[2], "minutes");
    const std::optional<int> minutes = minutesText ? NumberUpTo(*minutesText, kMaxRequestMinutes) : std::nullopt;
    if (!minutes || *minutes == 0) return std::nullopt;
  }
  return MoreTimeRequest{std::string(*code), asksTriesLeft};
}

bool IsStatusRequest(std::string_view text) { return WithoutLineEnd(text) == "status"; }

bool IsGraceRequest(std::string_view text) { return WithoutLineEnd(text) == "grace"; }

std::string FormatStatusAnswer(const ServiceStatus& status) {
  return "status version=" + status.version + " time=" + (status.timeConfirmed ? "confirmed" : "unconfirmed") +
         " code=" + (status.codeOffered ? "on" : "off") + " minutes=" + std::to_string(status.codeMinutes) +
         " grace=" + std::to_string(status.graceMinutes) + "\n";
}

std::optional<ServiceStatus> ParseStatusAnswer(std::string_view text) {
  const auto fields = Fields(WithoutLineEnd(text));
  // The grace field came later: an answer without it offers none.
  if (!fields || fields->size() < 5 || fields->size() > 6 || (*fields)[0] != "status") return std::nullopt;
  const auto version = Named((*fields)[1], "version");
  const auto time = Named((*fields)[2], "time");
  const auto code = Named((*fields)[3], "code");
  const auto minutesText = Named((*fields)[4], "minutes");
  if (!version || version->size() > 20 || version->find_first_not_of("0123456789.") != std::string_view::npos ||
      !time || (*time != "confirmed" && *time != "unconfirmed") || !code || (*code != "on" && *code != "off") ||
      !minutesText)
    return std::nullopt;
  const std::optional<int> minutes = NumberUpTo(*minutesText, kMaxRequestMinutes);
  if (!minutes) return std::nullopt;
  std::optional<int> grace = 0;
  if (fields->size() == 6) {
    const auto graceText = Named((*fields)[5], "grace");
    grace = graceText ? NumberUpTo(*graceText, kMaxRequestMinutes) : std::nullopt;
    if (!grace) return std::nullopt;
  }
  return ServiceStatus{std::string(*version), *time == "confirmed", *code == "on", *minutes, *grace};
}

std::string FormatMoreTimeAnswer(const MoreTimeAnswer& answer) {
  for (const Word& word : kWords) {
    if (word.kind != answer.kind) continue;
    std::string text(word.word);
    if (word.number) text.append(" ").append(std::to_string(answer.minutes));
    if (word.time) text.append(" ").append(answer.until);
    if (answer.kind == AnswerKind::kWrongCode && answer.triesLeft >= 0)
      text.append(" ").append(kTriesField).append("=").append(std::to_string(answer.triesLeft));
    return text.append("\n");
  }
  return "unavailable\n";
}

std::optional<MoreTimeAnswer> ParseMoreTimeAnswer(std::string_view text) {
  const auto fields = Fields(WithoutLineEnd(text));
  if (!fields) return std::nullopt;
  for (const Word& word : kWords) {
    if ((*fields)[0] != word.word) continue;
    MoreTimeAnswer answer{word.kind, 0, {}};
    if (word.kind == AnswerKind::kWrongCode && fields->size() == 2) {
      const auto tries = Named((*fields)[1], kTriesField);
      const std::optional<int> left = tries ? NumberUpTo(*tries, kMaxRequestMinutes) : std::nullopt;
      if (!left) return std::nullopt;
      answer.triesLeft = *left;
      return answer;
    }
    if (fields->size() != (word.number || word.time ? 2u : 1u)) return std::nullopt;
    if (word.number) {
      const std::optional<int> minutes = NumberUpTo((*fields)[1], kMaxRequestMinutes);
      if (!minutes) return std::nullopt;
      answer.minutes = *minutes;
    }
    if (word.time) {
      if (!IsClockTime((*fields)[1])) return std::nullopt;
      answer.until = std::string((*fields)[1]);
    }
    return answer;
  }
  return std::nullopt;
}
