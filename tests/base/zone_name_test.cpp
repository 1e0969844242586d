#include "base/zone_name.h"

#include <gtest/gtest.h>

namespace {

TEST(ZoneNameProblemTest, TakesOnlyTextsThatCanNameAZoneKey) {
  for (const std::string& name : {std::string("W. Europe Standard Time"), std::string("UTC-11"), std::string(kMaxZoneKeyLength, 'x')})
    EXPECT_FALSE(ZoneNameProblem(name).has_value()) << name;
  for (const std::string& name : {std::string(), std::string(kMaxZoneKeyLength + 1, 'x'), std::string("..\\Run"),
                                 std::string("Tokyo\tStandard Time"), std::string("Z\xc3\xbcrich")})
    EXPECT_TRUE(ZoneNameProblem(name).has_value()) << name;
}

}  // namespace
