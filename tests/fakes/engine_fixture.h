#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/service_fixture.h"
#include "base/date_time.h"
#include "settings/settings_loader.h"
#include "settings/stored_formats.h"

// A built service at debug level 3 with the time confirmed, its construction lines dropped and
// the cycle taken on Monday 7 December 2026 at 21:05. Restricted users are added straight into
// the tables; every registry key must be released by the end of each test.
class EngineTest : public ::testing::Test {
 protected:
  using Lines = std::vector<std::string>;

  EngineTest() : service(fixture.Build()) {
    service.DebugLevel = 3;
    service.TimeSynced = true;
    SetCycle({2026, 12, 7, 21, 5, 0, 0});
    service.DebugLines.Clear();
  }
  ~EngineTest() override { EXPECT_EQ(registry.OpenKeyCountForTesting(), 0); }

  // Takes the cycle at the local time: CycleNow and its weekday.
  void SetCycle(const DateTimeParts& now) {
    fixture.clock.SetNow(now);
    service.CycleNow = EncodeDateTime(now);
    service.DayIndex = WeekdayIndex(service.CycleNow);
  }

  // Adds a restricted user with the filter and allowance of the cycle's weekday (every other day
  // has no restricted period and the whole day) and the spent-time record (minutes, date).
  void Restrict(const std::string& name, const std::string& filterToday, const std::string& allowanceToday,
                StringList record = {"0", "07.12.2026"}) {
    service.RestrictedUsers.Add(name);
    StringList filters, limits;
    for (int day = 0; day < kDaysInWeek; ++day) {
      filters.Add(day == service.DayIndex ? filterToday : "");
      limits.Add(day == service.DayIndex ? allowanceToday : kWholeDayMinutes);
    }
    service.DayFilters.emplace_back(std::move(filters));
    service.DayLimits.emplace_back(std::move(limits));
    service.SpentTimes.emplace_back(std::move(record));
  }

  Lines Logged() const { return fixture.BufferedMessages(); }
  static std::string User(const std::string& name) { return UserKeyPath(name); }

  ServiceFixture fixture;
  THourwarden& service;
  InMemoryRegistry& registry = fixture.registry;
  FakeAccountControl& accounts = fixture.accounts;
};
