#include "settingsapp/allowance_form.h"

#include "configuration/validation.h"

namespace {

constexpr int kMinutesPerHour = 60;

AllowanceField FieldOfMinutes(std::optional<int32_t> minutes) {
  if (!minutes || *minutes >= kMinutesPerDay) return {"", "", true};
  const int32_t shown = *minutes < 0 ? 0 : *minutes;
  return {std::to_string(shown / kMinutesPerHour), std::to_string(shown % kMinutesPerHour), false};
}

// The number of a field: empty is 0; nothing for anything but digits.
std::optional<int> FieldNumber(const std::string& text) {
  if (text.empty()) return 0;
  if (text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  return std::stoi(text);
}

}  // namespace

AllowanceForm::AllowanceForm(const std::optional<std::string>& dayLimit) : stored_(dayLimit) {
  const StringList pieces = SplitAtSpaces(dayLimit.value_or(""));
  for (int day = 0; day < kDaysInWeek; ++day)
    fields_[day] = FieldOfMinutes(day < pieces.Count() ? ParseDecimal32(pieces[day]) : std::nullopt);
  filled_ = fields_;
}

AllowanceCheck AllowanceForm::Check(int day) const {
  const AllowanceField& field = fields_[day];
  if (field.noLimit) return {kMinutesPerDay, ""};
  const std::optional<int> hours = FieldNumber(field.hours);
  const std::optional<int> minutes = FieldNumber(field.minutes);
  if (!hours) return {std::nullopt, "The hours must be a whole number from 0 to 24."};
  if (!minutes || *minutes >= kMinutesPerHour) return {std::nullopt, "The minutes must be a whole number from 0 to 59."};
  // The same rule as hwctl's allowances: whole minutes from 0 to a whole day.
  const Checked<int> allowance = AllowanceOfArgument(std::to_string(*hours * kMinutesPerHour + *minutes));
  if (!allowance.value) return {std::nullopt, "An allowance runs from 0 minutes to 24 hours (a whole day)."};
  return {*allowance.value, ""};
}

std::optional<std::string> AllowanceForm::DayLimit() const {
  if (!Changed() && stored_) return stored_;
  std::string text;
  for (int day = 0; day < kDaysInWeek; ++day) {
    const AllowanceCheck check = Check(day);
    if (!check.minutes) return std::nullopt;
    text += (day == 0 ? "" : " ") + std::to_string(*check.minutes);
  }
  return text;
}
