#include "session/user_values.h"

#include <gtest/gtest.h>

#include "settings/in_memory_registry.h"
#include "settings/registry_values.h"
#include "settings/settings_loader.h"

namespace {

class UserValuesTest : public ::testing::Test {
 protected:
  ~UserValuesTest() override { EXPECT_EQ(registry.OpenKeyCountForTesting(), 0); }

  std::optional<StoredUserValues> Read(const std::string& user) {
    std::unique_ptr<RegistryAccess> access = registry.Open();
    std::optional<StoredUserValues> values = ReadStoredUserValues(*access, user);
    EXPECT_EQ(registry.OpenKeyCountForTesting(), 0) << "the key stays open";
    return values;
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
  const std::optional<StoredUserValues> values = Read("Alice");
  ASSERT_TRUE(values.has_value());
  EXPECT_EQ(values->dayFilters, (StringList{"08:00 12:00", "", "", "", "", "", ""}));
  EXPECT_EQ(values->dayLimit, "60 90");
  EXPECT_EQ(values->spentTime, 42);
  EXPECT_EQ(values->timeStamp, "07.12.2026");
  EXPECT_EQ(values->logoff, 1);
}

TEST_F(UserValuesTest, TheFirstMissingDayEndsTheFilters) {
  for (const char* name : {"Day0", "Day1", "Day3", "Day4"}) registry.SetStringForTesting(key, name, name);
  EXPECT_EQ(Read("alice")->dayFilters, (StringList{"Day0", "Day1", "", "", "", "", ""}));
  for (int day = 0; day <= 7; ++day) registry.SetStringForTesting(key, "Day" + std::to_string(day), "x");
  EXPECT_EQ(Read("alice")->dayFilters.Count(), 8);
}

TEST_F(UserValuesTest, MissingValuesAndValuesOfTheWrongTypeCountAsMissing) {
  registry.CreateKeyForTesting(key);
  const std::optional<StoredUserValues> empty = Read("alice");
  ASSERT_TRUE(empty.has_value());
  EXPECT_EQ(empty->dayFilters, (StringList{"", "", "", "", "", "", ""}));
  EXPECT_FALSE(empty->dayLimit || empty->spentTime || empty->timeStamp);
  EXPECT_EQ(empty->logoff, 0);

  registry.SetStringForTesting(key, "Day0", "08:00 12:00");
  registry.SetIntegerForTesting(key, "DayLimit", 60);
  registry.SetStringForTesting(key, "SpentTime", "42");
  registry.SetValueForTesting(key, "Logoff", {kRegBinary, "\x01"});
  registry.SetValueForTesting(key, "TimeStamp", {kRegMultiSz, std::string("07.12.2026\0\0", 12)});
  const std::optional<StoredUserValues> wrong = Read("alice");
  ASSERT_TRUE(wrong.has_value());
  EXPECT_EQ(wrong->dayFilters[0], "08:00 12:00");
  EXPECT_FALSE(wrong->dayLimit || wrong->spentTime || wrong->timeStamp);
  EXPECT_EQ(wrong->logoff, 0);
}

TEST_F(UserValuesTest, AKeyThatIsAbsentOrUnreadableGivesNothingAndIsNotCreated) {
  EXPECT_FALSE(Read("alice").has_value());
  EXPECT_FALSE(registry.KeyExistsForTesting(key));

  registry.SetIntegerForTesting(key, "Logoff", 1);
  registry.SetKeyRightsForTesting(key, 0);
  EXPECT_FALSE(Read("alice").has_value());

  // A key that grants a standard user no more than reading its values is enough.
  registry.SetKeyRightsForTesting(key, kKeyQueryValue);
  EXPECT_EQ(Read("alice")->logoff, 1);
}

}  // namespace
