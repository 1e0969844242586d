#include "settingsapp/give_more_time.h"

#include <gtest/gtest.h>

#include "base/date_time.h"
#include "settings/in_memory_registry.h"
#include "settings/registry_values.h"

namespace {

constexpr char kKey[] = "\\SOFTWARE\\Qorvex\\Hourwarden\\Time_restrictions\\alice";

TEST(GiveMoreTimeTest, LowersTodaysCountAndRaisesReadSettings) {
  struct Case {
    const char* minutes;
    bool given;
    const char* message;
    int32_t spentAfter;
  };
  const Case cases[] = {
      {"0", false, "More time: \"0\" is not an amount of extra time: give whole minutes from 1 to 1440.", 40},
      {"15", true, "alice has 15 more minutes today. The service applies it within a minute.", 25},
      {"90", true, "alice has 40 more minutes today (all 40 counted today). The service applies it within a minute.", 0},
  };
  for (const Case& c : cases) {
    InMemoryRegistry tree;
    tree.SetIntegerForTesting(kKey, "SpentTime", 40);
    tree.SetStringForTesting(kKey, "TimeStamp", "09.12.2026");
    const GiveMoreTimeResult result =
        GiveMoreTime(*tree.Open(), "alice", EncodeDateTime({2026, 12, 9, 15, 0}), c.minutes);
    EXPECT_EQ(result.given, c.given) << c.minutes;
    EXPECT_EQ(result.message, c.message);
    EXPECT_EQ(IntegerOfValue(kKey, "SpentTime", tree.ValueForTesting(kKey, "SpentTime")), c.spentAfter);
    EXPECT_EQ(tree.ValueForTesting(kProductKey, "ReadSettings").has_value(), c.given);
  }
  InMemoryRegistry empty;
  EXPECT_EQ(GiveMoreTime(*empty.Open(), "bob", 0, "5").message, "bob is not limited: it needs no more time.");
}

}  // namespace
