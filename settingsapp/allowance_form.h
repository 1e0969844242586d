#pragma once

#include <array>
#include <optional>
#include <string>

#include "settings/stored_formats.h"

// The allowance of each day as the settings window shows it: hours and minutes, or no limit, and
// the DayLimit text written from them. When no day is changed, DayLimit is kept byte for byte.

// One day's fields as the parent typed them.
struct AllowanceField {
  std::string hours;
  std::string minutes;
  bool noLimit = false;

  bool operator==(const AllowanceField&) const = default;
};

// A day's minutes, or the rule its fields break (said for the parent).
struct AllowanceCheck {
  std::optional<int> minutes;
  std::string refusal;
};

class AllowanceForm {
 public:
  AllowanceForm() = default;
  // The fields of the stored DayLimit (its text, nothing when absent or of another type): each
  // day's piece as the service takes it. A whole day or more, a missing piece or one that is no
  // number is no limit (the service never finds it run out); a negative one is 0 minutes.
  explicit AllowanceForm(const std::optional<std::string>& dayLimit);

  const AllowanceField& Field(int day) const { return fields_[day]; }
  void SetField(int day, AllowanceField field) { fields_[day] = std::move(field); }
  // Whether any day's fields differ from those the form was filled with.
  bool Changed() const { return fields_ != filled_; }
  // The day's minutes from its fields, checked by the rule hwctl holds allowances to.
  AllowanceCheck Check(int day) const;
  // The DayLimit to store: the stored text when nothing changed, else the seven minutes; nothing
  // when a day's fields are refused.
  std::optional<std::string> DayLimit() const;

 private:
  std::array<AllowanceField, kDaysInWeek> fields_{};
  std::array<AllowanceField, kDaysInWeek> filled_{};
  std::optional<std::string> stored_;
};
