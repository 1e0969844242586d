#include "settings/user_values.h"

#include <gtest/gtest.h>

#include "platform/date_time.h"
#include "session/user_values.h"
#include "settings/in_memory_registry.h"
#include "settings/registry_values.h"
#include "settings/settings_loader.h"

namespace {

class UserValuesTest : public ::testing::Test {
 protected:
  ~UserValuesTest() override { EXPECT_EQ(registry.OpenKeyCountForTesting(), 0); }

  std::optional<UserValues> Read(const std::string& user) {
    std::unique_ptr<RegistryAccess> access = registry.Open();
    std::optional<SessionUserValues> values = ReadSessionUserValues(*access, user);
    EXPECT_EQ(registry.OpenKeyCountForTesting(), 0) << "the key stays open";
    if (!values) return std::nullopt;
    return values->user;
  }

  const std::string key = UserKeyPath("alice");
  InMemoryRegistry registry;
};

TEST_F(UserValuesTest, ReadsEveryValueTheServiceJudgesBy) {
  registry.SetStringForTesting(key, "Day0", "08:00 12:00");
  registry.SetStringForTesting(key, "Day1", "");
  registry.SetStringForTesting(key, "DayLimit", "60 90");
  registry.SetIntegerForTesting(key, "SpentTime", 42);
  registry.SetStringForTesting(key, "TimeStamp", "07.12.2026");
  registry.SetIntegerForTesting(key, "Logoff", 1);
  registry.SetValueForTesting(key, "SpentDays", {kRegMultiSz, std::string("06.12.2026=30\0\0", 15)});
  const std::optional<UserValues> values = Read("Alice");
  ASSERT_TRUE(values.has_value());
  EXPECT_EQ(DayFiltersOf(*values), (StringList{"08:00 12:00", "", "", "", "", "", ""}));
  EXPECT_EQ(DayLimitsOf(*values), (StringList{"60", "90", "1440", "1440", "1440", "1440", "1440"}));
  EXPECT_EQ(LogoffOf(*values), 1);
  const LedgerReading ledger = LedgerOf(*values, 0);
  EXPECT_EQ(LedgerLines(ledger.ledger), (std::vector<std::string>{"06.12.2026=30", "07.12.2026=42"}));
  const CountingDay today = CountingDayOf(*values, EncodeDateTime({2026, 12, 7, 10, 0}));
  EXPECT_EQ(today.minutes, 42);
  EXPECT_EQ(AllowanceOn(*values, today.date), 60);  // a Monday
}

TEST_F(UserValuesTest, TheFirstMissingDayEndsTheFilters) {
  for (const char* name : {"Day0", "Day1", "Day3", "Day4"}) registry.SetStringForTesting(key, name, name);
  EXPECT_EQ(DayFiltersOf(*Read("alice")), (StringList{"Day0", "Day1", "", "", "", "", ""}));
  EXPECT_EQ(DaysBeforeGap(*Read("alice")), 2);
  for (int day = 0; day <= 7; ++day) registry.SetStringForTesting(key, "Day" + std::to_string(day), "x");
  EXPECT_EQ(DayFiltersOf(*Read("alice")).Count(), 8);
}

TEST_F(UserValuesTest, MissingValuesAndValuesOfTheWrongTypeCountAsMissing) {
  registry.CreateKeyForTesting(key);
  const double monday = EncodeDateTime({2026, 12, 7, 10, 0});
  const std::optional<UserValues> empty = Read("alice");
  ASSERT_TRUE(empty.has_value());
  EXPECT_EQ(DayFiltersOf(*empty), (StringList{"", "", "", "", "", "", ""}));
  EXPECT_EQ(DayLimitsOf(*empty)[0], "1440");
  EXPECT_EQ(LogoffOf(*empty), 0);
  EXPECT_EQ(CountingDayOf(*empty, monday).as, CountedAs::kNewDay);

  registry.SetStringForTesting(key, "Day0", "08:00 12:00");
  registry.SetIntegerForTesting(key, "Day1", 5);
  registry.SetStringForTesting(key, "Day2", "09:00 10:00");
  registry.SetIntegerForTesting(key, "DayLimit", 60);
  registry.SetStringForTesting(key, "SpentTime", "42");
  registry.SetValueForTesting(key, "Logoff", {kRegBinary, "\x01"});
  registry.SetValueForTesting(key, "TimeStamp", {kRegMultiSz, std::string("07.12.2026\0\0", 12)});
  registry.SetStringForTesting(key, "SpentDays", "07.12.2026=61");
  const std::optional<UserValues> wrong = Read("alice");
  ASSERT_TRUE(wrong.has_value());
  EXPECT_EQ(DayFiltersOf(*wrong), (StringList{"08:00 12:00", "", "", "", "", "", ""}));
  EXPECT_EQ(DayLimitsOf(*wrong)[0], "1440");
  EXPECT_EQ(LogoffOf(*wrong), 0);
  EXPECT_EQ(CountingDayOf(*wrong, monday).minutes, 0);
  for (const std::string* error : {&wrong->days[1].typeError, &wrong->dayLimit.typeError, &wrong->spentTime.typeError,
                                   &wrong->logoff.typeError, &wrong->timeStamp.typeError, &wrong->spentDays.typeError})
    EXPECT_NE(error->find(key), std::string::npos) << *error;
}

TEST_F(UserValuesTest, AKeyThatIsAbsentOrUnreadableGivesNothingAndIsNotCreated) {
  EXPECT_FALSE(Read("alice").has_value());
  EXPECT_FALSE(registry.KeyExistsForTesting(key));

  registry.SetIntegerForTesting(key, "Logoff", 1);
  registry.SetKeyRightsForTesting(key, 0);
  EXPECT_FALSE(Read("alice").has_value());

  // A key that grants a standard user no more than reading its values is enough.
  registry.SetKeyRightsForTesting(key, kKeyQueryValue);
  EXPECT_EQ(LogoffOf(*Read("alice")), 1);
}

}  // namespace
