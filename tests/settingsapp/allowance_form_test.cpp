#include "settingsapp/allowance_form.h"

#include <gtest/gtest.h>

namespace {

TEST(AllowanceFormTest, FieldsOfTheStoredDayLimit) {
  struct Case {
    std::optional<std::string> stored;
    AllowanceField monday, tuesday, sunday;
  };
  const Case cases[] = {
      {std::nullopt, {"", "", true}, {"", "", true}, {"", "", true}},
      {"90   120", {"1", "30", false}, {"2", "0", false}, {"", "", true}},
      {"x -5 0 1 2 3 1440", {"", "", true}, {"0", "0", false}, {"", "", true}},
      {"1439 2000 1 1 1 1 59", {"23", "59", false}, {"", "", true}, {"0", "59", false}},
  };
  for (const Case& c : cases) {
    const AllowanceForm form(c.stored);
    EXPECT_EQ(form.Field(0), c.monday) << c.stored.value_or("absent");
    EXPECT_EQ(form.Field(1), c.tuesday) << c.stored.value_or("absent");
    EXPECT_EQ(form.Field(6), c.sunday) << c.stored.value_or("absent");
  }
}

TEST(AllowanceFormTest, ChecksTheFieldsAndKeepsAnUntouchedDayLimit) {
  struct Case {
    AllowanceField field;
    std::optional<int> minutes;
  };
  const Case cases[] = {
      {{"", "", false}, 0},       {{"1", "30", false}, 90},  {{"24", "0", false}, 1440},
      {{"24", "1", false}, {}},   {{"1", "60", false}, {}},  {{"-1", "0", false}, {}},
      {{"1.5", "", false}, {}},   {{"x", "", true}, 1440},   {{"99999", "", false}, {}},
  };
  for (const Case& c : cases) {
    AllowanceForm form(std::string("60\t60"));
    EXPECT_EQ(form.DayLimit(), "60\t60");  // untouched: byte for byte
    form.SetField(2, c.field);
    EXPECT_EQ(form.Check(2).minutes, c.minutes) << c.field.hours << ":" << c.field.minutes;
    EXPECT_EQ(form.Check(2).refusal.empty(), c.minutes.has_value());
    if (c.minutes)
      EXPECT_EQ(form.DayLimit(), "1440 1440 " + std::to_string(*c.minutes) + " 1440 1440 1440 1440");
    else
      EXPECT_EQ(form.DayLimit(), std::nullopt);
  }
}

}  // namespace
