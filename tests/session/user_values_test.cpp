#include "session/user_values.h"

#include <gtest/gtest.h>

#include "settings/in_memory_registry.h"
#include "settings/registry_values.h"
#include "settings/settings_loader.h"

namespace {

class UserValuesTest : public ::testing::Test {
 protected:
  ~UserValuesTest() override { EXPECT_EQ(registry.OpenKeyCountForTesting(), 0); }

  std::optional<SessionUserValues> ReadSession(const std::string& user) {
    std::unique_ptr<RegistryAccess> access = registry.Open();
    std::optional<SessionUserValues> values = ReadSessionUserValues(*access, user);
    EXPECT_EQ(registry.OpenKeyCountForTesting(), 0) << "the key stays open";
    return values;
  }
  std::optional<UserValues> Read(const std::string& user) {
    const std::optional<SessionUserValues> values = ReadSession(user);
    return values ? std::optional<UserValues>(values->user) : std::nullopt;
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
  registry.SetValueForTesting(key, "SpentDays", MultiStringValue("", "", {"06.12.2026=30"}));
  const std::optional<UserValues> values = Read("Alice");
  ASSERT_TRUE(values.has_value());
  EXPECT_EQ(DayFiltersOf(*values), (StringList{"08:00 12:00", "", "", "", "", "", ""}));
  EXPECT_EQ(DayLimitsOf(*values), (StringList{"60", "90", "1440", "1440", "1440", "1440", "1440"}));
  EXPECT_EQ(LedgerLines(LedgerOf(*values, 0).ledger), (std::vector<std::string>{"06.12.2026=30", "07.12.2026=42"}));
  EXPECT_EQ(LogoffOf(*values), 1);
  EXPECT_EQ(ReadSession("alice")->codeMinutes, 30);

  // The record of the version before the computer's step: its CodeMinutes counted minutes given.
  registry.SetIntegerForTesting(key, "CodeLastStep", 100);
  registry.SetIntegerForTesting(key, "CodeMinutes", 20);
  registry.SetIntegerForTesting(kProductKey, "CodeMinutes", 45);
  EXPECT_EQ(ReadSession("alice")->codeGiven, 20);
  EXPECT_EQ(ReadSession("alice")->codeMinutes, 45);
}

TEST_F(UserValuesTest, TheFirstMissingDayEndsTheFilters) {
  for (const char* name : {"Day0", "Day1", "Day3", "Day4"}) registry.SetStringForTesting(key, name, name);
  EXPECT_EQ(DayFiltersOf(*Read("alice")), (StringList{"Day0", "Day1", "", "", "", "", ""}));
  for (int day = 0; day <= 7; ++day) registry.SetStringForTesting(key, "Day" + std::to_string(day), "x");
  EXPECT_EQ(DayFiltersOf(*Read("alice")).Count(), 8);
}

TEST_F(UserValuesTest, MissingValuesAndValuesOfTheWrongTypeCountAsMissing) {
  registry.CreateKeyForTesting(key);
  const std::optional<UserValues> empty = Read("alice");
  ASSERT_TRUE(empty.has_value());
  EXPECT_EQ(DayFiltersOf(*empty), (StringList{"", "", "", "", "", "", ""}));
  EXPECT_FALSE(empty->dayLimit.present || empty->spentTime.present || empty->timeStamp.present);
  EXPECT_EQ(LogoffOf(*empty), 0);

  registry.SetStringForTesting(key, "Day0", "08:00 12:00");
  registry.SetIntegerForTesting(key, "DayLimit", 60);
  registry.SetStringForTesting(key, "SpentTime", "42");
  registry.SetValueForTesting(key, "Logoff", {kRegBinary, "\x01"});
  registry.SetValueForTesting(key, "TimeStamp", {kRegMultiSz, std::string("07.12.2026\0\0", 12)});
  registry.SetStringForTesting(key, "SpentDays", "07.12.2026=61");
  const std::optional<UserValues> wrong = Read("alice");
  ASSERT_TRUE(wrong.has_value());
  EXPECT_EQ(DayFiltersOf(*wrong)[0], "08:00 12:00");
  EXPECT_EQ(DayLimitsOf(*wrong)[0], "1440");
  EXPECT_TRUE(LedgerOf(*wrong, 0).ledger.minutes.empty());
  EXPECT_EQ(LogoffOf(*wrong), 0);
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
