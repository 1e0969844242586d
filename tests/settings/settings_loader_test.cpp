#include "settings/settings_loader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>

#include "fakes/service_fixture.h"
#include "settings/registry_values.h"

namespace {

using Lines = std::vector<std::string>;

std::string User(const std::string& name) { return UserKeyPath(name); }

// A built service with its construction lines dropped; every registry key must be released by
// the end of each test, the failing paths included.
class LoaderTest : public ::testing::Test {
 protected:
  LoaderTest() : service(fixture.Build()) { service.DebugLines.Clear(); }
  ~LoaderTest() override { EXPECT_EQ(registry.OpenKeyCountForTesting(), 0); }

  Lines Logged() const { return fixture.BufferedMessages(); }

  ServiceFixture fixture;
  THourwarden& service;
  InMemoryRegistry& registry = fixture.registry;
};

Lines FillLines(const std::string& text, int from) {
  Lines lines;
  for (int day = from; day < 7; ++day) lines.push_back(text + std::to_string(day));
  return lines;
}

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST_F(LoaderTest, LoadsTheProductKeyAndEveryUserWithTheirLinesInOrder) {
  registry.SetIntegerForTesting(kProductKey, "Debug", 3);
  registry.SetStringForTesting(kProductKey, "Path", "C:\\App");  // no trailing backslash: kept as is
  registry.SetStringForTesting(User("alice"), "Day0", "12:00 13:00");
  registry.SetStringForTesting(User("alice"), "Day1", "");
  registry.SetStringForTesting(User("alice"), "DayLimit", "60 90");

  LoadSettings(service);

  EXPECT_EQ(service.DebugLevel, 3);
  EXPECT_EQ(service.AppPath, "C:\\App");
  EXPECT_EQ(service.RestrictedUsers, (StringList{"alice"}));
  EXPECT_EQ(Logged(), Join({{"Filter configuration cleared", "Debug level set to:3", "Application path:C:\\App",
                             "Sessions ended by the service: yes",
                             "Minutes of locked and disconnected sessions counted: yes", "Sessions of held-back users: logged off",
                             "Minutes to save the work, once a day: 5",
                             "Reading settings for user:alice", "Day0=12:00 13:00", "Day1="},
                            FillLines("Filling empty day: ", 2),
                            {"DayLimits: 60 90"},
                            FillLines("Filling max day time for empty day: ", 2)}));
}

TEST(DayFiltersTest, ReadStopsAtTheFirstMissingDayAndFillsToSunday) {
  const struct {
    const char* name;
    std::map<std::string, std::string> values;
    StringList filters;
  } cases[] = {
      {"no day values", {}, {"", "", "", "", "", "", ""}},
      {"Day3 missing while Day4 to Day6 exist",
       {{"Day0", "a"}, {"Day1", "b"}, {"Day2", "c"}, {"Day4", "x"}, {"Day5", "y"}, {"Day6", "z"}},
       {"a", "b", "c", "", "", "", ""}},
      {"Day2 missing, Day3 present", {{"Day0", "a"}, {"Day1", "b"}, {"Day3", "x"}}, {"a", "b", "", "", "", "", ""}},
      {"Day0 missing", {{"Day1", "b"}, {"Day2", "c"}}, {"", "", "", "", "", "", ""}},
      {"Day0 to Day7", {{"Day0", "0"}, {"Day1", "1"}, {"Day2", "2"}, {"Day3", "3"}, {"Day4", "4"}, {"Day5", "5"},
                        {"Day6", "6"}, {"Day7", "7"}},
       {"0", "1", "2", "3", "4", "5", "6", "7"}},
      {"names in other letter case", {{"DAY0", "a"}, {"day1", "b"}}, {"a", "b", "", "", "", "", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ServiceFixture fixture;
    THourwarden& service = fixture.Build();
    fixture.registry.CreateKeyForTesting(User("alice"));
    for (const auto& [name, text] : c.values) fixture.registry.SetStringForTesting(User("alice"), name, text);
    LoadSettings(service);
    ASSERT_NE(TableEntry(service.DayFilters, 0), nullptr);
    EXPECT_EQ(*TableEntry(service.DayFilters, 0), c.filters);
  }
}

TEST(DayLimitsTest, SplitOnlyAtSpacesAndFillWithAWholeDay) {
  const struct {
    const char* name;
    std::optional<std::string> dayLimit;
    StringList limits;
  } cases[] = {
      {"missing", std::nullopt, {"1440", "1440", "1440", "1440", "1440", "1440", "1440"}},
      {"empty", "", {"1440", "1440", "1440", "1440", "1440", "1440", "1440"}},
      {"only spaces", "   ", {"1440", "1440", "1440", "1440", "1440", "1440", "1440"}},
      {"a run of three spaces", "90   120", {"90", "120", "1440", "1440", "1440", "1440", "1440"}},
      {"leading and trailing spaces", "  30 45  ", {"30", "45", "1440", "1440", "1440", "1440", "1440"}},
      {"five days", "60 60 60 60 90", {"60", "60", "60", "60", "90", "1440", "1440"}},
      {"a tab does not separate", "60\t90", {"60\t90", "1440", "1440", "1440", "1440", "1440", "1440"}},
      {"nine numbers", "1 2 3 4 5 6 7 8 9", {"1", "2", "3", "4", "5", "6", "7", "8", "9"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ServiceFixture fixture;
    THourwarden& service = fixture.Build();
    fixture.registry.SetIntegerForTesting(kProductKey, "Debug", 3);
    fixture.registry.CreateKeyForTesting(User("alice"));
    if (c.dayLimit) fixture.registry.SetStringForTesting(User("alice"), "DayLimit", *c.dayLimit);
    LoadSettings(service);
    ASSERT_NE(TableEntry(service.DayLimits, 0), nullptr);
    EXPECT_EQ(*TableEntry(service.DayLimits, 0), c.limits);
    // The value's text is logged even when it holds nothing; a missing value is an error line.
    const Lines logged = fixture.BufferedMessages();
    const std::string expected = c.dayLimit ? "DayLimits: " + *c.dayLimit : "Unable to read user max day times";
    EXPECT_THAT(logged, ::testing::Contains(expected));
  }
}

// Settings with an error of each level: no Path, alice without DayLimit, bob unreadable.
class DebugLevelTest : public LoaderTest {
 protected:
  DebugLevelTest() {
    registry.CreateKeyForTesting(kProductKey);
    registry.SetStringForTesting(User("alice"), "Day0", "08:00 09:00");
    registry.SetKeyRightsForTesting(User("bob"), 0);
  }
  void SetDebug(int32_t level) { registry.SetIntegerForTesting(kProductKey, "Debug", level); }
};

TEST_F(DebugLevelTest, MissingAtTheFirstLoadSetsTwoAfterTheClearingLine) {
  LoadSettings(service);
  EXPECT_EQ(service.DebugLevel, 2);
  EXPECT_EQ(Logged(), (Lines{"Filter configuration cleared", "ERROR: Debug level not in registry. Set to 2",
                             "ERROR: Application path not set", "Sessions ended by the service: yes",
                             "Minutes of locked and disconnected sessions counted: yes", "Sessions of held-back users: logged off",
                             "Minutes to save the work, once a day: 5",
                             "Reading settings for user:alice",
                             "Unable to read user max day times", "ERROR: Unable to read settings for user:bob"}));
}

TEST_F(DebugLevelTest, OneLogsOnlyTheErrors) {
  SetDebug(1);
  LoadSettings(service);
  EXPECT_EQ(Logged(), (Lines{"Filter configuration cleared", "ERROR: Application path not set",
                             "Unable to read user max day times", "ERROR: Unable to read settings for user:bob"}));
}

TEST_F(DebugLevelTest, ZeroSilencesEverythingAfterIt) {
  SetDebug(0);
  LoadSettings(service);
  EXPECT_EQ(service.DebugLevel, 0);
  EXPECT_EQ(Logged(), (Lines{"Filter configuration cleared"}));
  EXPECT_EQ(service.RestrictedUsers, (StringList{"alice", "bob"}));
}

TEST_F(DebugLevelTest, MinusThreeLogsWhatThreeLogs) {
  SetDebug(3);
  LoadSettings(service);
  Lines atThree = Logged();
  service.DebugLines.Clear();
  SetDebug(-3);
  LoadSettings(service);
  Lines atMinusThree = Logged();

  EXPECT_EQ(service.DebugLevel, -3);
  ASSERT_EQ(atThree.size(), atMinusThree.size());
  EXPECT_EQ(atThree[1], "Debug level set to:3");
  EXPECT_EQ(atMinusThree[1], "Debug level set to:-3");
  atMinusThree[1] = atThree[1];
  EXPECT_EQ(atMinusThree, atThree);
}

TEST_F(LoaderTest, AnUnreadableUserGetsAnEmptySlotAndTheOthersKeepTheirPositions) {
  for (const char* name : {"ann", "bea", "cid"}) registry.SetStringForTesting(User(name), "Day0", name);
  registry.SetKeyRightsForTesting(User("bea"), 0);

  LoadSettings(service);

  EXPECT_EQ(service.RestrictedUsers, (StringList{"ann", "bea", "cid"}));
  ASSERT_EQ(service.DayFilters.size(), 3u);
  ASSERT_EQ(service.DayLimits.size(), 3u);
  EXPECT_EQ(TableEntry(service.DayFilters, 1), nullptr);
  EXPECT_EQ(TableEntry(service.DayLimits, 1), nullptr);
  ASSERT_NE(TableEntry(service.DayFilters, 2), nullptr);
  EXPECT_EQ((*TableEntry(service.DayFilters, 2))[0], "cid");
  EXPECT_EQ(TableEntry(service.DayLimits, 2)->Count(), 7);
}

TEST_F(LoaderTest, AMissingProductKeyKeepsLevelAndPathAndTheReloadCheckCreatesItEmpty) {
  service.DebugLevel = 4;
  service.AppPath = "D:\\Before\\";
  service.RestrictedUsers.Add("stale");

  LoadSettings(service);

  EXPECT_EQ(service.DebugLevel, 4);
  EXPECT_EQ(service.AppPath, "D:\\Before\\");
  EXPECT_TRUE(service.RestrictedUsers.Empty());
  EXPECT_EQ(Logged(), (Lines{"Filter configuration cleared"}));

  EXPECT_EQ(CheckReloadRequest(service), 0);
  EXPECT_TRUE(registry.KeyExistsForTesting(kProductKey));
  EXPECT_TRUE(registry.ValueNamesForTesting(kProductKey).empty());
  EXPECT_TRUE(registry.SubkeyNamesForTesting(kProductKey).empty());
  EXPECT_EQ(Logged(), (Lines{"Filter configuration cleared", "ReadSettings=0"}));
}

TEST_F(LoaderTest, AnUnreadableProductKeyStillLetsTheUsersLoad) {
  registry.SetIntegerForTesting(kProductKey, "Debug", 1);
  registry.SetStringForTesting(User("ann"), "Day0", "x");
  registry.SetKeyRightsForTesting(kProductKey, 0);
  LoadSettings(service);
  EXPECT_EQ(service.DebugLevel, 3);
  EXPECT_EQ(service.RestrictedUsers, (StringList{"ann"}));
}

TEST_F(LoaderTest, ARestrictionsKeyWithoutSubkeysRestrictsNobody) {
  registry.SetIntegerForTesting(kProductKey, "Debug", 3);
  registry.SetStringForTesting(kRestrictionsKey, "Day0", "00:00 24:00");  // values here are ignored
  LoadSettings(service);
  EXPECT_TRUE(service.RestrictedUsers.Empty());
  EXPECT_TRUE(service.DayFilters.empty());
  EXPECT_TRUE(service.DayLimits.empty());
  for (const std::string& line : Logged()) EXPECT_EQ(line.find("Reading settings for user:"), std::string::npos);
}

TEST_F(LoaderTest, EachLoadReplacesTheTablesSoRemovedUsersDisappear) {
  registry.SetStringForTesting(User("ann"), "Day0", "a");
  registry.SetStringForTesting(User("bea"), "Day0", "b");
  LoadSettings(service);
  ASSERT_EQ(service.RestrictedUsers.Count(), 2);
  registry.DeleteKeyForTesting(User("ann"));
  LoadSettings(service);
  EXPECT_EQ(service.RestrictedUsers, (StringList{"bea"}));
  ASSERT_EQ(service.DayFilters.size(), 1u);
  EXPECT_EQ((*TableEntry(service.DayFilters, 0))[0], "b");
  EXPECT_EQ(service.DayLimits.size(), 1u);
}

TEST(LoaderErrorTest, AValueOfTheWrongTypeIsReportedAndTakenAsAbsent) {
  const struct {
    const char* name;
    const char* key;  // user name, or nullptr for the product key
    const char* value;
    RegistryValue stored;
    const char* found;
    const char* expected;
  } cases[] = {
      {"Debug as text", nullptr, "Debug", StringValue("3"), "REG_SZ", "REG_DWORD"},
      {"Path as a number", nullptr, "Path", IntegerValue(5), "REG_DWORD", "REG_SZ"},
      {"a day filter of the second user as binary", "bea", "Day1", {kRegBinary, "ab"}, "REG_BINARY", "REG_SZ"},
      {"DayLimit of the second user as a number", "bea", "DayLimit", IntegerValue(5), "REG_DWORD", "REG_SZ"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ServiceFixture fixture;
    THourwarden& service = fixture.Build();
    fixture.registry.SetIntegerForTesting(kProductKey, "Debug", 3);
    fixture.registry.SetStringForTesting(kProductKey, "Path", "C:\\App\\");
    for (const char* name : {"ann", "bea", "cid"}) {
      fixture.registry.SetStringForTesting(User(name), "Day0", "a");
      fixture.registry.SetStringForTesting(User(name), "Day1", "b");
      fixture.registry.SetStringForTesting(User(name), "DayLimit", "60");
    }
    const std::string key = c.key ? User(c.key) : kProductKey;
    fixture.registry.SetValueForTesting(key, c.value, c.stored);
    service.DebugLines.Clear();

    EXPECT_TRUE(LoadSettings(service));
    const std::string report = "ERROR: Registry value \"" + std::string(c.value) + "\" of key " + key + ": holds " +
                               c.found + " where " + c.expected + " was expected; taken as absent";
    EXPECT_THAT(fixture.BufferedMessages(), ::testing::Contains(report));
    // Taken as absent: Debug 2, no Path, the day and those after it without periods, whole days.
    EXPECT_EQ(service.DebugLevel, std::string(c.value) == "Debug" ? 2 : 3);
    EXPECT_EQ(service.AppPath, std::string(c.value) == "Path" ? "" : "C:\\App\\");
    ASSERT_EQ(service.RestrictedUsers.Count(), 3);
    ASSERT_EQ(service.DayFilters.size(), 3u);
    ASSERT_EQ(service.DayLimits.size(), 3u);
    EXPECT_EQ((*TableEntry(service.DayFilters, 1))[1], std::string(c.value) == "Day1" ? "" : "b");
    EXPECT_EQ((*TableEntry(service.DayLimits, 1))[0], std::string(c.value) == "DayLimit" ? "1440" : "60");
    EXPECT_EQ((*TableEntry(service.DayFilters, 2))[1], "b");
    EXPECT_EQ(fixture.registry.OpenKeyCountForTesting(), 0);
  }
}

TEST_F(LoaderTest, AFailedLoadKeepsEverySettingOfBeforeAndIsTriedAgain) {
  registry.SetIntegerForTesting(kProductKey, "Debug", 3);
  registry.SetStringForTesting(kProductKey, "TimeZone", "Tokyo Standard Time");
  registry.SetStringForTesting(User("ann"), "DayLimit", "60");
  ASSERT_TRUE(LoadSettings(service));
  registry.SetIntegerForTesting(kProductKey, "Debug", 4);
  registry.SetStringForTesting(kProductKey, "TimeZone", "W. Europe Standard Time");
  registry.SetStringForTesting(User("bea"), "DayLimit", "30");
  registry.FailEnumerationForTesting(kRestrictionsKey);
  service.DebugLines.Clear();

  EXPECT_FALSE(LoadSettings(service));
  EXPECT_EQ(service.DebugLevel, 3);
  EXPECT_EQ(service.TimeZone, "Tokyo Standard Time");
  EXPECT_THAT(service.RestrictedUsers.Items(), ::testing::ElementsAre("ann"));
  ASSERT_EQ(service.DayLimits.size(), 1u);
  EXPECT_EQ((*TableEntry(service.DayLimits, 0))[0], "60");
  EXPECT_TRUE(service.ReloadPending);
  EXPECT_THAT(Logged().back(), ::testing::StartsWith("ERROR: Settings not read, those of before are kept: "));

  registry.FailEnumerationForTesting(kRestrictionsKey, false);
  EXPECT_TRUE(LoadSettings(service));
  EXPECT_FALSE(service.ReloadPending);
  EXPECT_THAT(service.RestrictedUsers.Items(), ::testing::ElementsAre("ann", "bea"));
}

TEST(ReloadRequestTest, ANonZeroRequestIsReturnedAndResetFirst) {
  const struct {
    const char* name;
    std::optional<int32_t> stored;
    int32_t result;
    Lines lines;
  } cases[] = {
      {"five", 5, 5, {"Request to read user settings", "ReadSettings=5"}},
      {"negative", -1, -1, {"Request to read user settings", "ReadSettings=-1"}},
      {"zero", 0, 0, {"ReadSettings=0"}},
      {"missing", std::nullopt, 0, {"ReadSettings=0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ServiceFixture fixture;
    THourwarden& service = fixture.Build();
    service.DebugLines.Clear();
    fixture.registry.CreateKeyForTesting(kProductKey);
    if (c.stored) fixture.registry.SetIntegerForTesting(kProductKey, "ReadSettings", *c.stored);

    EXPECT_EQ(CheckReloadRequest(service), c.result);
    EXPECT_EQ(fixture.BufferedMessages(), c.lines);
    const auto stored = fixture.registry.ValueForTesting(kProductKey, "ReadSettings");
    if (c.stored)
      EXPECT_EQ(stored, IntegerValue(0));
    else
      EXPECT_FALSE(stored.has_value());
  }
}

// A request that is of the wrong type, cannot be reset or sits in a key that does not open for
// writing is no request: the minute is counted without a reload, and the log says why.
TEST(ReloadRequestTest, ARequestTheServiceCannotConsumeSafelyIsNoRequest) {
  const struct {
    const char* name;
    std::function<void(InMemoryRegistry&)> plant;
    std::optional<RegistryValue> storedAfter;
    Lines linesStart;  // each logged line starts with its line here
  } cases[] = {
      {"a string, as reg add stores by default",
       [](InMemoryRegistry& registry) { registry.SetStringForTesting(kProductKey, "ReadSettings", "1"); },
       IntegerValue(0),
       {"ERROR: Registry value \"ReadSettings\" of key " + std::string(kProductKey) +
            ": holds REG_SZ where REG_DWORD was expected; taken as absent",
        "ReadSettings=0"}},
      {"a key that refuses the reset",
       [](InMemoryRegistry& registry) {
         registry.SetIntegerForTesting(kProductKey, "ReadSettings", 1);
         registry.RefuseWritesForTesting(kProductKey);
       },
       IntegerValue(1),
       {"Request to read user settings", "ERROR: Reload request not reset, so not honoured: ", "ReadSettings=0"}},
      {"a key that opens for reading only",
       [](InMemoryRegistry& registry) {
         registry.SetIntegerForTesting(kProductKey, "ReadSettings", 1);
         registry.SetKeyRightsForTesting(kProductKey, kKeyRead);
       },
       IntegerValue(1),
       {"ERROR: Not possible to read settings flag"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ServiceFixture fixture;
    THourwarden& service = fixture.Build();
    service.DebugLines.Clear();
    fixture.registry.CreateKeyForTesting(kProductKey);
    c.plant(fixture.registry);
    EXPECT_EQ(CheckReloadRequest(service), 0);
    EXPECT_EQ(fixture.registry.ValueForTesting(kProductKey, "ReadSettings"), c.storedAfter);
    const Lines logged = fixture.BufferedMessages();
    ASSERT_EQ(logged.size(), c.linesStart.size());
    for (size_t i = 0; i < logged.size(); ++i) EXPECT_THAT(logged[i], ::testing::StartsWith(c.linesStart[i]));
    EXPECT_EQ(fixture.registry.OpenKeyCountForTesting(), 0);
  }
}

}  // namespace

namespace {

// TimeZone names the zone every local time is taken in, when it is a zone of this computer.
TEST(TimeZoneSettingTest, AZoneOfThisComputerIsTakenAndAnyOtherValueLeavesTheSystemsZone) {
  const struct {
    const char* name;
    std::optional<RegistryValue> value;
    std::string inForce;
    Lines lines;
  } cases[] = {
      {"missing", std::nullopt, "", {}},
      {"empty", StringValue(""), "", {}},
      {"a zone", StringValue("Tokyo Standard Time"), "Tokyo Standard Time", {"Time zone:Tokyo Standard Time"}},
      {"no zone here", StringValue("Mars Standard Time"), "",
       {"ERROR: Time zone \"Mars Standard Time\" is not a zone of this computer; the system's zone is used",
        "GetTimeZoneInformationForYear failed with error 2: The system cannot find the file specified."}},
      {"another key's path", StringValue("..\\Tokyo Standard Time"), "",
       {"ERROR: Time zone \"..\\Tokyo Standard Time\" is not a zone of this computer; the system's zone is used",
        "a zone name holds no backslash"}},
      {"a number", IntegerValue(9), "",
       {"ERROR: Registry value \"TimeZone\" of key \\SOFTWARE\\Qorvex\\Hourwarden\\: holds REG_DWORD where REG_SZ "
        "was expected; taken as absent"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ServiceFixture fixture;
    fixture.registry.SetIntegerForTesting(kProductKey, "Debug", 2);
    if (c.value) fixture.registry.SetValueForTesting(kProductKey, "TimeZone", *c.value);
    THourwarden& service = fixture.Build();  // construction reads it first
    EXPECT_EQ(service.TimeZone, c.inForce);
    service.TimeZone = "GMT Standard Time";
    service.DebugLines.Clear();
    LoadSettings(service);
    EXPECT_EQ(service.TimeZone, c.inForce);
    Lines zoneLines;
    for (const std::string& line : fixture.BufferedMessages())
      if (line.find("Time zone") != std::string::npos || line.find("TimeZone") != std::string::npos ||
          line.find("failed with") != std::string::npos || line.find("backslash") != std::string::npos)
        zoneLines.push_back(line);
    EXPECT_EQ(zoneLines, c.lines);
    EXPECT_EQ(fixture.registry.OpenKeyCountForTesting(), 0);
  }
}

// The first lines of the service already carry the administrator's time.
TEST(TimeZoneSettingTest, StampsTheFirstLinesInTheZone) {
  ServiceFixture fixture;
  fixture.clock.SetUtc({2026, 12, 8, 15, 30, 0, 0});
  fixture.registry.SetStringForTesting(kProductKey, "TimeZone", "Tokyo Standard Time");
  THourwarden& service = fixture.Build();
  ASSERT_FALSE(service.DebugLines.Empty());
  EXPECT_EQ(service.DebugLines[0], "[09.12.2026 00:30:00] Time zone:Tokyo Standard Time");
  EXPECT_EQ(service.DebugLines[1], "[09.12.2026 00:30:00] Creating service");
}

}  // namespace
