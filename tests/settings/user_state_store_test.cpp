#include "settings/user_state_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "engine/usage_accounting.h"
#include "fakes/service_fixture.h"
#include "base/date_time.h"
#include "settings/settings_loader.h"

namespace {

using Lines = std::vector<std::string>;
using ::testing::Contains;
using ::testing::Not;

std::string User(const std::string& name) { return UserKeyPath(name); }

// A built service on 8 December 2026 with its construction lines dropped; every registry key must
// be released by the end of each test, the failing paths included.
class StoreTest : public ::testing::Test {
 protected:
  StoreTest() : service(fixture.Build()) {
    service.DebugLines.Clear();
    service.CycleNow = EncodeDateTime({2026, 12, 8, 10, 0, 0, 0});
  }
  ~StoreTest() override { EXPECT_EQ(registry.OpenKeyCountForTesting(), 0); }

  Lines Logged() const { return fixture.BufferedMessages(); }
  void Restrict(std::initializer_list<std::string> names) {
    for (const std::string& name : names) service.RestrictedUsers.Add(name);
  }

  ServiceFixture fixture;
  THourwarden& service;
  InMemoryRegistry& registry = fixture.registry;
};

TEST(ReadSpentTimesTest, EachKeyStateGivesItsEntryAndLines) {
  const struct {
    const char* name;
    bool keyExists;
    std::optional<int32_t> spentTime;
    std::optional<std::string> timeStamp;
    StringList entry;
    Lines lines;
  } cases[] = {
      {"both values", true, 42, "07.12.2026", {"42", "07.12.2026"}, {"spent_time=42 date=07.12.2026"}},
      {"empty TimeStamp means the cycle date", true, 42, "", {"42", "08.12.2026"}, {"spent_time=42 date=08.12.2026"}},
      {"no TimeStamp leaves the date empty", true, 42, std::nullopt, {"42", ""},
       {"ERROR: Not possible to read timestamp", "spent_time=42 date="}},
      {"no SpentTime counts 0", true, std::nullopt, "07.12.2026", {"0", "07.12.2026"},
       {"ERROR: Not possible to read spent times", "spent_time=0 date=07.12.2026"}},
      {"no key", false, std::nullopt, std::nullopt, {"0", ""},
       {"ERROR: Not possible to open \\SOFTWARE\\Qorvex\\Hourwarden\\Time_restrictions\\alice",
        "spent_time=0 date="}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ServiceFixture fixture;
    THourwarden& service = fixture.Build();
    service.DebugLines.Clear();
    service.CycleNow = EncodeDateTime({2026, 12, 8, 23, 59, 0, 0});
    service.RestrictedUsers.Add("alice");
    if (c.keyExists) fixture.registry.CreateKeyForTesting(User("alice"));
    if (c.spentTime) fixture.registry.SetIntegerForTesting(User("alice"), "SpentTime", *c.spentTime);
    if (c.timeStamp) fixture.registry.SetStringForTesting(User("alice"), "TimeStamp", *c.timeStamp);

    ReadSpentTimes(service);

    ASSERT_EQ(service.SpentTimes.size(), 1u);
    EXPECT_EQ(*TableEntry(service.SpentTimes, 0), c.entry);
    Lines expected{"Reading timestamp and spent time for user:alice"};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(fixture.BufferedMessages(), expected);
  }
}

TEST_F(StoreTest, AtLevelTwoAnUnopenedKeyShowsOnlyTheReadingLine) {
  service.DebugLevel = 2;
  Restrict({"alice"});
  ReadSpentTimes(service);
  EXPECT_EQ(Logged(), (Lines{"Reading timestamp and spent time for user:alice"}));
  EXPECT_EQ(*TableEntry(service.SpentTimes, 0), (StringList{"0", ""}));
}

TEST_F(StoreTest, AValueOfTheWrongTypeIsTakenAsAbsentForItsUserOnly) {
  Restrict({"ann", "bea", "cid"});
  for (const char* name : {"ann", "bea", "cid"}) {
    registry.SetIntegerForTesting(User(name), "SpentTime", 10);
    registry.SetStringForTesting(User(name), "TimeStamp", "08.12.2026");
  }
  registry.SetStringForTesting(User("bea"), "SpentTime", "10");
  registry.SetIntegerForTesting(User("cid"), "TimeStamp", 8122026);
  service.SpentTimes.emplace_back(StringList{"stale", "entry"});

  ReadSpentTimes(service);

  ASSERT_EQ(service.SpentTimes.size(), 3u);
  EXPECT_EQ(*TableEntry(service.SpentTimes, 0), (StringList{"10", "08.12.2026"}));
  EXPECT_EQ(*TableEntry(service.SpentTimes, 1), (StringList{"0", "08.12.2026"}));
  EXPECT_EQ(*TableEntry(service.SpentTimes, 2), (StringList{"10", ""}));
  EXPECT_THAT(Logged(), Contains("ERROR: Registry value \"SpentTime\" of key " + User("bea") +
                                 ": holds REG_SZ where REG_DWORD was expected; taken as absent"));
}

// The ledger is read with the current count on its date and written with it, pruned to 62 days;
// a ledger of the wrong type or a bad line is reported and taken as absent (the count of
// TimeStamp's date still from SpentTime), and without a SpentTime the ledger's count stands.
TEST_F(StoreTest, TheLedgerIsReadAndWrittenWithTheCurrentCountAndItsFaultsAreTakenAsAbsent) {
  const struct {
    std::optional<RegistryValue> stored, spentTime;
    std::vector<std::string> ledger;
    const char* error;
  } cases[] = {
      {MultiStringValue("", "", {"06.10.2026=20", "08.12.2026=3"}), IntegerValue(42), {"08.12.2026=42"}, ""},
      {MultiStringValue("", "", {"07.12.2026=20", "yesterday=5"}), IntegerValue(42), {"07.12.2026=20", "08.12.2026=42"},
       "ERROR: The line \"yesterday=5\" of SpentDays of alice is no date=minutes of its own; taken as absent"},
      {StringValue("06.12.2026=20"), IntegerValue(42), {"08.12.2026=42"}, "holds REG_SZ where REG_MULTI_SZ was expected"},
      {std::nullopt, IntegerValue(42), {"08.12.2026=42"}, ""},
      {MultiStringValue("", "", {"08.12.2026=30"}), std::nullopt, {"08.12.2026=30"}, "Not possible to read spent times"},
  };
  Restrict({"alice"});
  for (const auto& c : cases) {
    registry.DeleteKeyForTesting(User("alice"));
    if (c.spentTime) registry.SetValueForTesting(User("alice"), "SpentTime", *c.spentTime);
    registry.SetStringForTesting(User("alice"), "TimeStamp", "08.12.2026");
    if (c.stored) registry.SetValueForTesting(User("alice"), "SpentDays", *c.stored);
    ReadSpentTimes(service);
    WriteSpentTimes(service);
    EXPECT_EQ(registry.ValueForTesting(User("alice"), "SpentDays"), MultiStringValue("", "", c.ledger)) << c.error;
    EXPECT_EQ(registry.ValueForTesting(User("alice"), "SpentTime"), IntegerValue(std::stoi(c.ledger.back().substr(11))));
    EXPECT_THAT(Logged(), Contains(::testing::HasSubstr(c.error)));
  }
}

TEST_F(StoreTest, WithNoRestrictedUsersTheTableEmptiesAndNoKeyIsTouched) {
  service.SpentTimes.emplace_back(StringList{"5", "07.12.2026"});
  ReadSpentTimes(service);
  EXPECT_TRUE(service.SpentTimes.empty());
  WriteSpentTimes(service);
  EXPECT_TRUE(registry.SubkeyNamesForTesting("\\").empty());
  EXPECT_TRUE(Logged().empty());
}

TEST_F(StoreTest, WritesMinutesAsDwordAndTheDateAsText) {
  Restrict({"alice", "bob"});
  for (const char* name : {"alice", "bob"}) registry.CreateKeyForTesting(User(name));
  service.SpentTimes.emplace_back(StringList{"42", "08.12.2026"});
  service.SpentTimes.emplace_back(StringList{"-1", ""});

  WriteSpentTimes(service);

  EXPECT_EQ(registry.ValueForTesting(User("alice"), "SpentTime"), IntegerValue(42));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "TimeStamp"), StringValue("08.12.2026"));
  EXPECT_EQ(registry.ValueForTesting(User("bob"), "SpentTime"), IntegerValue(-1));
  EXPECT_EQ(registry.ValueForTesting(User("bob"), "TimeStamp"), StringValue(""));
  EXPECT_EQ(Logged(), (Lines{"Writing spent times for user:alice", "spent_time=42  date=08.12.2026",
                             "Writing spent times for user:bob", "spent_time=-1  date="}));
}

TEST_F(StoreTest, AMissingOrMisshapenEntryWritesNothing) {
  Restrict({"ann", "bea", "cid"});
  for (const char* name : {"ann", "bea", "cid"}) registry.CreateKeyForTesting(User(name));
  service.SpentTimes.emplace_back(StringList{"1", "08.12.2026"});
  service.SpentTimes.emplace_back(StringList{"1", "08.12.2026", "extra"});

  WriteSpentTimes(service);

  EXPECT_EQ(registry.ValueNamesForTesting(User("ann")), (std::vector<std::string>{"SpentDays", "SpentTime", "TimeStamp"}));
  EXPECT_TRUE(registry.KeyExistsForTesting(User("bea")));
  EXPECT_TRUE(registry.ValueNamesForTesting(User("bea")).empty());
  EXPECT_TRUE(registry.KeyExistsForTesting(User("cid")));
  EXPECT_TRUE(registry.ValueNamesForTesting(User("cid")).empty());
  EXPECT_THAT(Logged(), Contains("ERROR: Timestamp not contains 2 values"));
  EXPECT_THAT(Logged(), Contains("ERROR: Timestamp for user not exist"));
}

TEST(WriteSpentTimesTest, AMinuteCountThatIsNotADecimalIntegerIsReportedAndTheOthersAreWritten) {
  for (const char* minutes : {"abc", "", "12x", " 12", "99999999999", "1.5"}) {
    SCOPED_TRACE(std::string("\"") + minutes + "\"");
    ServiceFixture fixture;
    THourwarden& service = fixture.Build();
    service.RestrictedUsers = StringList{"ann", "bea", "cid"};
    for (const char* name : {"ann", "bea", "cid"}) fixture.registry.CreateKeyForTesting(User(name));
    for (const char* stored : {"1", minutes, "3"}) service.SpentTimes.emplace_back(StringList{stored, "08.12.2026"});
    service.DebugLines.Clear();
    WriteSpentTimes(service);
    EXPECT_THAT(fixture.BufferedMessages(),
                Contains(::testing::AllOf(::testing::StartsWith("ERROR: Not possible to write spent times for bea: "),
                                          ::testing::HasSubstr(User("bea")), ::testing::HasSubstr("SpentTime"))));
    EXPECT_EQ(fixture.registry.ValueForTesting(User("ann"), "SpentTime"), IntegerValue(1));
    EXPECT_TRUE(fixture.registry.ValueNamesForTesting(User("bea")).empty());
    EXPECT_EQ(fixture.registry.ValueForTesting(User("cid"), "SpentTime"), IntegerValue(3));
    EXPECT_EQ(fixture.registry.OpenKeyCountForTesting(), 0);
  }
}

TEST_F(StoreTest, AUserKeyThatDoesNotOpenIsReportedAndTheOthersAreWritten) {
  service.DebugLevel = 1;
  Restrict({"ann", "bea"});
  registry.CreateKeyForTesting(User("bea"));
  registry.SetKeyRightsForTesting(User("ann"), kKeyRead);  // readable, but not read-write
  service.SpentTimes.emplace_back(StringList{"1", "08.12.2026"});
  service.SpentTimes.emplace_back(StringList{"2", "08.12.2026"});

  WriteSpentTimes(service);

  EXPECT_EQ(Logged(), (Lines{"ERROR: Not possible to open \\SOFTWARE\\Qorvex\\Hourwarden\\Time_restrictions\\ann"}));
  EXPECT_EQ(registry.ValueForTesting(User("bea"), "SpentTime"), IntegerValue(2));
}

TEST_F(StoreTest, ARefusedWriteIsReportedAndLaterUsersAreStillWritten) {
  Restrict({"ann", "bea"});
  registry.RefuseWritesForTesting(User("ann"));
  service.SpentTimes.emplace_back(StringList{"1", "08.12.2026"});
  service.SpentTimes.emplace_back(StringList{"2", "08.12.2026"});
  WriteSpentTimes(service);
  EXPECT_THAT(Logged(), Contains(::testing::StartsWith("ERROR: Not possible to write spent times for ann: ")));
  EXPECT_EQ(*TableEntry(service.SpentTimes, 0), (StringList{"1", "08.12.2026"}));  // kept for the next write
  EXPECT_EQ(registry.ValueForTesting(User("bea"), "SpentTime"), IntegerValue(2));
}

// A key deleted while the service runs is recreated by the next write of the service's own state,
// holding only the values written then.
TEST_F(StoreTest, AUserKeyDeletedWhileRunningIsRecreatedByTheNextWrite) {
  registry.SetIntegerForTesting(kProductKey, "Debug", 3);
  registry.SetStringForTesting(User("alice"), "Day0", "12:00 13:00");
  registry.SetStringForTesting(User("alice"), "DayLimit", "60");
  registry.SetIntegerForTesting(User("alice"), "SpentTime", 30);
  registry.SetStringForTesting(User("alice"), "TimeStamp", "08.12.2026");
  LoadSettings(service);
  ReadSpentTimes(service);
  registry.DeleteKeyForTesting(User("alice"));

  ReadSpentTimes(service);  // the key is gone: a fresh count
  EXPECT_EQ(*TableEntry(service.SpentTimes, 0), (StringList{"0", ""}));
  EXPECT_EQ(ReadLogoffFlag(service, "alice"), 0);
  EXPECT_FALSE(registry.KeyExistsForTesting(User("alice")));  // a read creates nothing

  (*TableEntry(service.SpentTimes, 0)) = StringList{"1", "08.12.2026"};
  WriteSpentTimes(service);
  EXPECT_THAT(registry.ValueNamesForTesting(User("alice")), testing::ElementsAre("SpentDays", "SpentTime", "TimeStamp"));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "SpentTime"), IntegerValue(1));
  registry.DeleteKeyForTesting(User("alice"));
  EXPECT_TRUE(WriteLogoffFlag(service, "alice", 1));
  EXPECT_THAT(registry.ValueNamesForTesting(User("alice")), testing::ElementsAre("Logoff"));
}

// Removing a user while the service runs: the key is deleted and a reload requested; the next
// minute refresh reads the logoff flags first, and that read must not bring the key back, so the
// reload no longer finds the user.
TEST_F(StoreTest, AUserRemovedWithAReloadRequestIsGoneAfterTheNextMinute) {
  registry.SetStringForTesting(User("alice"), "DayLimit", "60");
  registry.SetStringForTesting(User("bob"), "DayLimit", "60");
  LoadSettings(service);
  ReadSpentTimes(service);
  registry.DeleteKeyForTesting(User("alice"));
  registry.SetIntegerForTesting(kProductKey, "ReadSettings", 1);

  MinuteRefresh(service);
  EXPECT_EQ(service.RestrictedUsers, (StringList{"bob"}));
  EXPECT_FALSE(registry.KeyExistsForTesting(User("alice")));
}

TEST_F(StoreTest, ReadsTheLogoffFlagWithoutCreatingAMissingKey) {
  registry.SetIntegerForTesting(User("alice"), "Logoff", 7);
  registry.CreateKeyForTesting(User("bob"));
  EXPECT_EQ(ReadLogoffFlag(service, "alice"), 7);
  EXPECT_EQ(ReadLogoffFlag(service, "bob"), 0);
  EXPECT_EQ(ReadLogoffFlag(service, "nobody"), 0);
  EXPECT_FALSE(registry.KeyExistsForTesting(User("nobody")));
  EXPECT_EQ(Logged(), (Lines{"alice: logoff_flag=7", "bob: logoff_flag=0", "ERROR: Not possible to read logoff flag"}));
}

TEST_F(StoreTest, ALogoffFlagKeyThatDoesNotOpenReadsZeroAndRefusesTheWrite) {
  registry.SetIntegerForTesting(User("alice"), "Logoff", 1);
  registry.SetKeyRightsForTesting(User("alice"), kKeyRead);  // readable, but not read-write
  EXPECT_EQ(ReadLogoffFlag(service, "alice"), 0);
  EXPECT_FALSE(WriteLogoffFlag(service, "alice", 0));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "Logoff"), IntegerValue(1));
  EXPECT_EQ(Logged(), (Lines{"ERROR: Not possible to read logoff flag", "Writting logoff flag for user: alice",
                             "ERROR: Not possible to write logoff flag"}));
}

TEST_F(StoreTest, WritesTheLogoffFlagAsDwordAndLogsItsValueOnlyAtLevelThree) {
  service.DebugLevel = 1;
  registry.CreateKeyForTesting(User("alice"));
  EXPECT_TRUE(WriteLogoffFlag(service, "alice", 1));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "Logoff"), IntegerValue(1));
  EXPECT_EQ(Logged(), (Lines{"Writting logoff flag for user: alice"}));

  service.DebugLines.Clear();
  service.DebugLevel = 3;
  EXPECT_TRUE(WriteLogoffFlag(service, "alice", 0));
  EXPECT_EQ(registry.ValueForTesting(User("alice"), "Logoff"), IntegerValue(0));
  EXPECT_EQ(Logged(), (Lines{"Writting logoff flag for user: alice", "logoff_flag=0"}));
}

TEST_F(StoreTest, LogoffFlagErrorsAreReportedAndReleaseTheKey) {
  registry.SetStringForTesting(User("alice"), "Logoff", "1");
  EXPECT_EQ(ReadLogoffFlag(service, "alice"), 0);
  registry.RefuseWritesForTesting(User("bob"));
  EXPECT_FALSE(WriteLogoffFlag(service, "bob", 1));
  EXPECT_THAT(Logged(), Contains("ERROR: Not possible to write logoff flag"));
  EXPECT_THAT(Logged(), Not(Contains("logoff_flag=1")));
}

TEST_F(StoreTest, AUserKeyInOtherLetterCaseIsTheSameUser) {
  registry.SetStringForTesting(User("Alice"), "Day0", "12:00 13:00");
  LoadSettings(service);
  ASSERT_EQ(service.RestrictedUsers.IndexOf("alice"), 0);

  EXPECT_TRUE(WriteLogoffFlag(service, "alice", 1));
  EXPECT_EQ(ReadLogoffFlag(service, "ALICE"), 1);
  service.SpentTimes.emplace_back(StringList{"5", "08.12.2026"});
  WriteSpentTimes(service);

  EXPECT_EQ(registry.SubkeyNamesForTesting(kRestrictionsKey), std::vector<std::string>{"Alice"});
  EXPECT_EQ(registry.ValueForTesting(User("Alice"), "Logoff"), IntegerValue(1));
  EXPECT_EQ(registry.ValueForTesting(User("Alice"), "SpentTime"), IntegerValue(5));
}

TEST_F(StoreTest, TheServiceLoadsAtStartAndAtStopWritesEveryUserItLoaded) {
  registry.SetIntegerForTesting(kProductKey, "Debug", 3);
  registry.SetStringForTesting(kProductKey, "Path", fixture.dir.Prefix());  // the stop flushes the logs there
  for (const char* name : {"alice", "bob"}) {
    registry.SetStringForTesting(User(name), "DayLimit", "60");
    registry.SetIntegerForTesting(User(name), "SpentTime", 12);
    registry.SetStringForTesting(User(name), "TimeStamp", "01.12.2026");
  }

  bool started = false;
  service.ServiceStart(started);
  EXPECT_EQ(service.RestrictedUsers, (StringList{"alice", "bob"}));
  ASSERT_EQ(service.SpentTimes.size(), 2u);
  EXPECT_EQ(service.DayLimits.size(), 2u);

  registry.DeleteKeyForTesting(User("alice"));
  (*TableEntry(service.SpentTimes, 1))[0] = "13";
  bool stopped = false;
  service.ServiceStop(stopped);
  EXPECT_THAT(registry.ValueNamesForTesting(User("alice")), testing::ElementsAre("SpentDays", "SpentTime", "TimeStamp"));
  EXPECT_EQ(registry.ValueForTesting(User("bob"), "SpentTime"), IntegerValue(13));
  EXPECT_THAT(fixture.DebugMessages(), Contains("Writing spent times for user:bob"));
}

}  // namespace
