#pragma once

#include <map>
#include <string>
#include <vector>

#include "fakes/fake_folder_access.h"
#include "fakes/fake_key_security.h"
#include "fakes/fake_local_accounts.h"
#include "fakes/manual_clock.h"
#include "fakes/rule_time_zones.h"
#include "hwctl/commands.h"
#include "settings/in_memory_registry.h"

// hwctl on the in-memory registry, the accounts of FakeLocalAccounts, a manual clock at Tuesday
// 8 December 2026 10:00 and folders set by the test: C:\Hourwarden kept from standard users, C:\Users\Public open to them.
class HwctlFixture {
 public:
  HwctlFixture() {
    system.openRegistry = registry.Opener();
    system.clock = &clock;
    system.folderAccess = &folders;
    system.timeZones = &zones;
    system.random = &random;
    system.keySecurity = &keySecurity;
    system.computerName = "KIDS PC";
    system.accounts = &accounts;
    system.qrGlyphs = {"#", "'", ","};
    clock.SetNow({2026, 12, 8, 10, 0, 0, 0});
    folders.SetKeptFromUsers("C:\\Hourwarden");
    folders.SetOpenToUsers("C:\\Users\\Public");
  }

  CommandResult Hwctl(const std::vector<std::string>& arguments) { return RunHwctl(arguments, system); }

  // Every value of the tree by key path and name: what a refused command must leave untouched.
  std::map<std::string, RegistryValue> Snapshot(const std::string& path = "\\") const {
    std::map<std::string, RegistryValue> values;
    for (const std::string& name : registry.ValueNamesForTesting(path))
      values[path + "|" + name] = *registry.ValueForTesting(path, name);
    for (const std::string& subkey : registry.SubkeyNamesForTesting(path)) {
      const auto below = Snapshot(path + subkey + "\\");
      values.insert(below.begin(), below.end());
    }
    return values;
  }

  InMemoryRegistry registry;
  ManualClock clock;
  FakeFolderAccess folders;
  RuleTimeZones zones;  // the computer's zone is W. Europe Standard Time
  FakeKeySecurity keySecurity{registry};
  CountingRandom random;
  FakeLocalAccounts accounts;
  HwctlSystem system;
};
