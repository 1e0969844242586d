#include <gtest/gtest.h>

#include "fakes/rule_time_zones.h"
#include "platform/time_zones_suite.h"

namespace {

struct RuleZonesBackend {
  const TimeZones& Zones() const { return zones; }
  RuleTimeZones zones;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Rules, TimeZonesSuite, RuleZonesBackend);

}  // namespace
