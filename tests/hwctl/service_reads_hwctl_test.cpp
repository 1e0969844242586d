// What hwctl writes, read by the service's own settings store: the loader, the reload request and
// the spent-time store, called in the order of the service's minute.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/fake_folder_access.h"
#include "fakes/fake_local_accounts.h"
#include "fakes/service_fixture.h"
#include "hwctl/commands.h"
#include "settings/settings_loader.h"
#include "settings/user_state_store.h"

namespace {

class ServiceReadsHwctlTest : public ::testing::Test {
 protected:
  ServiceReadsHwctlTest() : service(fixture.Build()) {
    system.openRegistry = fixture.registry.Opener();
    system.clock = &fixture.clock;
    system.folderAccess = &folders;
    system.accounts = &accounts;
    service.CycleNow = fixture.clock.Now();
  }

  void Hwctl(const std::vector<std::string>& arguments) {
    const CommandResult result = RunHwctl(arguments, system);
    ASSERT_EQ(result.exitCode, kExitSuccess) << result.error;
  }

  // The steps of the service's minute up to the count: the logoff requests, then the reload.
  bool MinuteReloads() {
    for (const std::string& name : service.RestrictedUsers) ReadLogoffFlag(service, name);
    if (CheckReloadRequest(service) == 0) return false;
    LoadSettings(service);
    ReadSpentTimes(service);
    return true;
  }

  ServiceFixture fixture;
  THourwarden& service;
  FakeFolderAccess folders;
  FakeLocalAccounts accounts;
  HwctlSystem system;
};

TEST_F(ServiceReadsHwctlTest, TheLoaderReadsTheWeekAsWritten) {
  Hwctl({"add", "alice"});
  Hwctl({"limit", "alice", "60", "60", "60", "60", "90", "-", "-"});
  Hwctl({"periods", "alice", "mon", "08:00-12:00 21:00-24:00"});
  Hwctl({"periods", "alice", "sun", "00:00-07:00"});
  Hwctl({"debug", "3"});

  ASSERT_TRUE(MinuteReloads());
  EXPECT_EQ(service.DebugLevel, 3);
  EXPECT_EQ(service.RestrictedUsers, (StringList{"alice"}));
  EXPECT_EQ(*TableEntry(service.DayFilters, 0),
            (StringList{"08:00 12:00 21:00 24:00", "", "", "", "", "", "00:00 07:00"}));
  EXPECT_EQ(*TableEntry(service.DayLimits, 0), (StringList{"60", "60", "60", "60", "90", "1440", "1440"}));
  EXPECT_FALSE(MinuteReloads());  // the request was consumed
}

// The service writes its in-memory count every minute; the reload that grant asks for makes it
// take the lowered count first.
TEST_F(ServiceReadsHwctlTest, AGrantOutlivesTheServicesNextWrite) {
  Hwctl({"add", "alice"});
  ASSERT_TRUE(MinuteReloads());
  *TableEntry(service.SpentTimes, 0) = StringList{"50", "08.12.2026"};
  WriteSpentTimes(service);

  Hwctl({"grant", "alice", "20"});
  ASSERT_TRUE(MinuteReloads());
  EXPECT_EQ(*TableEntry(service.SpentTimes, 0), (StringList{"30", "08.12.2026"}));
  WriteSpentTimes(service);
  EXPECT_EQ(fixture.registry.ValueForTesting(UserKeyPath("alice"), "SpentTime"), IntegerValue(30));
}

// The logoff check comes before the reload in the service's minute; it must not bring a removed
// user back.
TEST_F(ServiceReadsHwctlTest, ARemovedUserStaysRemoved) {
  Hwctl({"add", "alice"});
  Hwctl({"add", "bob"});
  ASSERT_TRUE(MinuteReloads());
  Hwctl({"remove", "alice", "--yes"});

  ASSERT_TRUE(MinuteReloads());
  EXPECT_EQ(service.RestrictedUsers, (StringList{"bob"}));
  WriteSpentTimes(service);
  EXPECT_EQ(fixture.registry.SubkeyNamesForTesting(kRestrictionsKey), std::vector<std::string>{"bob"});
}

}  // namespace
