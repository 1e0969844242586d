#include "hwctl/commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/hwctl_fixture.h"
#include "hwctl/line_wrap.h"
#include "settings/registry_values.h"
#include "settings/settings_loader.h"

namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

std::string User(const std::string& name) { return UserKeyPath(name); }

// hwctl with alice restricted (added by hwctl itself) and no reload pending.
class CommandsTest : public ::testing::Test, protected HwctlFixture {
 protected:
  CommandsTest() {
    EXPECT_EQ(Hwctl({"add", "alice"}).exitCode, kExitSuccess);
    registry.SetIntegerForTesting(kProductKey, "ReadSettings", 0);
  }
  ~CommandsTest() override { EXPECT_EQ(registry.OpenKeyCountForTesting(), 0); }

  std::optional<RegistryValue> Value(const std::string& path, const std::string& name) const {
    return registry.ValueForTesting(path, name);
  }
  std::optional<RegistryValue> ReloadRequest() const { return Value(kProductKey, "ReadSettings"); }
};

TEST_F(CommandsTest, AddCreatesTheUserKeyInTheStoredFormatsAndAsksForAReload) {
  ASSERT_EQ(Hwctl({"add", "Bob"}).exitCode, kExitSuccess);  // the key takes the account's spelling
  EXPECT_EQ(registry.SubkeyNamesForTesting(kRestrictionsKey), (std::vector<std::string>{"alice", "bob"}));
  for (int day = 0; day < 7; ++day) EXPECT_EQ(Value(User("bob"), "Day" + std::to_string(day)), StringValue(""));
  EXPECT_EQ(Value(User("bob"), "DayLimit"), StringValue("1440 1440 1440 1440 1440 1440 1440"));
  EXPECT_EQ(registry.ValueNamesForTesting(User("bob")).size(), 8u);
  EXPECT_EQ(ReloadRequest(), IntegerValue(1));
}

TEST_F(CommandsTest, AddTakesTheAccountAFullNameOrAddressNamesAndSaysWhatToWatch) {
  const struct {
    std::vector<std::string> arguments;
    const char* key;
    const char* said;
  } cases[] = {
      {{"add", "bob smith"}, "bob", "bob (Bob Smith) is now a restricted user"},
      {{"add", "dad@outlook.com"}, "Dad", "warning: Dad is an administrator of this computer and can lift every limit"},
      {{"add", "carol", "--not-yet"}, "carol", "warning: no account of this computer is named carol yet"},
  };
  for (const auto& c : cases) {
    const CommandResult result = Hwctl(c.arguments);
    ASSERT_EQ(result.exitCode, kExitSuccess) << result.error;
    EXPECT_THAT(result.output, HasSubstr(c.said));
    EXPECT_TRUE(registry.KeyExistsForTesting(User(c.key))) << c.key;
  }
}

TEST_F(CommandsTest, LimitStoresSevenNumbersSeparatedBySingleSpaces) {
  const CommandResult result = Hwctl({"limit", "ALICE", "60", "60", "60", "60", "90", "-", "0"});
  ASSERT_EQ(result.exitCode, kExitSuccess) << result.error;
  EXPECT_EQ(Value(User("alice"), "DayLimit"), StringValue("60 60 60 60 90 1440 0"));
  EXPECT_EQ(registry.SubkeyNamesForTesting(kRestrictionsKey), std::vector<std::string>{"alice"});
  EXPECT_EQ(ReloadRequest(), IntegerValue(1));
}

TEST_F(CommandsTest, PeriodsStoresTheNamedDaysAndKeepsTheOthers) {
  ASSERT_EQ(Hwctl({"periods", "alice", "all", "00:00-07:00 21:00-24:00"}).exitCode, kExitSuccess);
  for (int day = 0; day < 7; ++day)
    EXPECT_EQ(Value(User("alice"), "Day" + std::to_string(day)), StringValue("00:00 07:00 21:00 24:00"));
  // Unquoted periods arrive as separate arguments.
  ASSERT_EQ(Hwctl({"periods", "alice", "wed", "08:00-12:00", "13:00-14:00"}).exitCode, kExitSuccess);
  ASSERT_EQ(Hwctl({"periods", "alice", "Sun", "none"}).exitCode, kExitSuccess);
  EXPECT_EQ(Value(User("alice"), "Day2"), StringValue("08:00 12:00 13:00 14:00"));
  EXPECT_EQ(Value(User("alice"), "Day6"), StringValue(""));
  EXPECT_EQ(Value(User("alice"), "Day5"), StringValue("00:00 07:00 21:00 24:00"));
  EXPECT_EQ(ReloadRequest(), IntegerValue(1));
}

// Writing one day must neither leave it behind a gap nor wake values the service never read.
TEST_F(CommandsTest, PeriodsClosesAGapWithWhatTheServiceReadsForEachDay) {
  registry.DeleteKeyForTesting(User("alice"));
  registry.SetStringForTesting(User("alice"), "Day0", "08:00 09:00");
  registry.SetStringForTesting(User("alice"), "Day3", "10:00 11:00");  // behind the gap: never read

  ASSERT_EQ(Hwctl({"periods", "alice", "tue", "12:00-13:00"}).exitCode, kExitSuccess);

  const std::vector<std::string> expected = {"08:00 09:00", "12:00 13:00", "", "", "", "", ""};
  for (int day = 0; day < 7; ++day) EXPECT_EQ(Value(User("alice"), "Day" + std::to_string(day)), StringValue(expected[day]));
}

TEST_F(CommandsTest, PeriodsReplacesAValueOfTheWrongTypeOnlyWhenItNamesThatDay) {
  registry.SetIntegerForTesting(User("alice"), "Day1", 5);
  const CommandResult refused = Hwctl({"periods", "alice", "mon", "08:00-12:00"});
  EXPECT_EQ(refused.exitCode, kExitRefused);
  EXPECT_THAT(refused.error, HasSubstr("Day1 (Tuesday) of alice is not a string value"));
  EXPECT_EQ(Value(User("alice"), "Day0"), StringValue(""));

  ASSERT_EQ(Hwctl({"periods", "alice", "tue", "08:00-12:00"}).exitCode, kExitSuccess);
  EXPECT_EQ(Value(User("alice"), "Day1"), StringValue("08:00 12:00"));
}

TEST_F(CommandsTest, GrantLowersTodaysCountNeverBelowZero) {
  registry.SetIntegerForTesting(User("alice"), "SpentTime", 50);
  registry.SetStringForTesting(User("alice"), "TimeStamp", "08.12.2026");
  ASSERT_EQ(Hwctl({"grant", "alice", "20"}).exitCode, kExitSuccess);
  EXPECT_EQ(Value(User("alice"), "SpentTime"), IntegerValue(30));
  EXPECT_EQ(ReloadRequest(), IntegerValue(1));

  const CommandResult more = Hwctl({"grant", "alice", "45"});
  EXPECT_THAT(more.output, HasSubstr("30 minutes given back (only 30 were counted today)"));
  EXPECT_EQ(Value(User("alice"), "SpentTime"), IntegerValue(0));

  // An empty TimeStamp counts for today, as the service reads it.
  registry.SetIntegerForTesting(User("alice"), "SpentTime", 40);
  registry.SetStringForTesting(User("alice"), "TimeStamp", "");
  ASSERT_EQ(Hwctl({"grant", "alice", "15"}).exitCode, kExitSuccess);
  EXPECT_EQ(Value(User("alice"), "SpentTime"), IntegerValue(25));
  EXPECT_EQ(Value(User("alice"), "TimeStamp"), StringValue("08.12.2026"));
}

// The count the service adds to now (today's, or the latest date's while the clock shows a day
// before it that was not counted) is lowered on its date in SpentTime and in the ledger alike.
TEST_F(CommandsTest, GrantLowersTheCountOfTheDateTheServiceCountsOnInBothPlaces) {
  using Lines = std::vector<std::string>;
  const struct {
    int32_t spent;
    const char* stamp;
    Lines ledger;
    int32_t spentAfter;
    const char* stampAfter;
    Lines ledgerAfter;
  } cases[] = {
      {50, "08.12.2026", {"07.12.2026=61"}, 30, "08.12.2026", {"07.12.2026=61", "08.12.2026=30"}},
      {5, "09.12.2026", {"08.12.2026=61"}, 41, "08.12.2026", {"08.12.2026=41", "09.12.2026=5"}},  // back from tomorrow
      {25, "09.12.2026", {}, 5, "09.12.2026", {"09.12.2026=5"}},  // the clock behind tomorrow's count
  };
  for (const auto& c : cases) {
    registry.SetIntegerForTesting(User("alice"), "SpentTime", c.spent);
    registry.SetStringForTesting(User("alice"), "TimeStamp", c.stamp);
    registry.SetValueForTesting(User("alice"), "SpentDays", MultiStringValue("", "", c.ledger));
    ASSERT_EQ(Hwctl({"grant", "alice", "20"}).exitCode, kExitSuccess);
    EXPECT_EQ(Value(User("alice"), "SpentTime"), IntegerValue(c.spentAfter)) << c.stamp;
    EXPECT_EQ(Value(User("alice"), "TimeStamp"), StringValue(c.stampAfter)) << c.stamp;
    EXPECT_EQ(Value(User("alice"), "SpentDays"), MultiStringValue("", "", c.ledgerAfter)) << c.stamp;
  }
}

TEST_F(CommandsTest, GrantOnAnotherDaysCountChangesNothing) {
  registry.SetIntegerForTesting(User("alice"), "SpentTime", 50);
  registry.SetStringForTesting(User("alice"), "TimeStamp", "07.12.2026");
  const auto before = Snapshot();
  const CommandResult result = Hwctl({"grant", "alice", "20"});
  EXPECT_EQ(result.exitCode, kExitSuccess);
  EXPECT_THAT(result.output, HasSubstr("nothing to give back"));
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(CommandsTest, RemoveDeletesOnlyThatUsersKey) {
  ASSERT_EQ(Hwctl({"add", "bob"}).exitCode, kExitSuccess);
  registry.SetIntegerForTesting(kProductKey, "ReadSettings", 0);
  const CommandResult result = Hwctl({"remove", "Alice", "--yes"});
  ASSERT_EQ(result.exitCode, kExitSuccess) << result.error;
  EXPECT_THAT(result.output, HasSubstr("net user alice /times:all"));
  EXPECT_EQ(registry.SubkeyNamesForTesting(kRestrictionsKey), std::vector<std::string>{"bob"});
  EXPECT_EQ(ReloadRequest(), IntegerValue(1));
}

TEST_F(CommandsTest, ProductValuesAndTheReloadRequest) {
  ASSERT_EQ(Hwctl({"debug", "3"}).exitCode, kExitSuccess);
  EXPECT_EQ(Value(kProductKey, "Debug"), IntegerValue(3));
  ASSERT_EQ(Hwctl({"path", "C:\\Hourwarden"}).exitCode, kExitSuccess);
  EXPECT_EQ(Value(kProductKey, "Path"), StringValue("C:\\Hourwarden\\"));
  EXPECT_EQ(ReloadRequest(), IntegerValue(1));
  ASSERT_EQ(Hwctl({"servicelogoff", "off"}).exitCode, kExitSuccess);
  EXPECT_EQ(Value(kProductKey, "ServiceLogoff"), IntegerValue(0));
  EXPECT_THAT(Hwctl({"check"}).output, HasSubstr("Hourwarden: ServiceLogoff: 0: the service never ends a session"));
  EXPECT_THAT(Hwctl({"show", "alice"}).output, HasSubstr("when the time is up: left open."));
  ASSERT_EQ(Hwctl({"servicelogoff", "on"}).exitCode, kExitSuccess);
  EXPECT_EQ(Value(kProductKey, "ServiceLogoff"), IntegerValue(1));
  ASSERT_EQ(Hwctl({"countlocked", "off"}).exitCode, kExitSuccess);
  EXPECT_EQ(Value(kProductKey, "CountLockedSessions"), IntegerValue(0));
  EXPECT_THAT(Hwctl({"list"}).output, HasSubstr("session: not counted."));
  ASSERT_EQ(Hwctl({"countlocked", "on"}).exitCode, kExitSuccess);
  EXPECT_EQ(Value(kProductKey, "CountLockedSessions"), IntegerValue(1));
  registry.SetStringForTesting(kProductKey, "CountLockedSessions", "0");
  EXPECT_THAT(Hwctl({"check"}).output, HasSubstr("Hourwarden: CountLockedSessions: holds REG_SZ where REG_DWORD was expected"));
  EXPECT_THAT(Hwctl({"show", "alice", "--verbose"}).output, HasSubstr("session: counted (CountLockedSessions on)."));
  EXPECT_THAT(Hwctl({"show", "alice"}).output, HasSubstr("signed out, unsaved work is lost."));
  ASSERT_EQ(Hwctl({"endsession", "lock"}).exitCode, kExitSuccess);
  EXPECT_EQ(Value(kProductKey, "EndSession"), StringValue("lock"));
  EXPECT_THAT(Hwctl({"show", "alice"}).output, HasSubstr("locked, its programs stay open."));
  registry.SetStringForTesting(kProductKey, "EndSession", "lokc");
  EXPECT_THAT(Hwctl({"check"}).output, HasSubstr("Hourwarden: EndSession: \"lokc\" is neither lock nor logoff"));
  registry.SetIntegerForTesting(kProductKey, "GraceMinutes", 45);
  EXPECT_THAT(Hwctl({"check"}).output, HasSubstr("Hourwarden: GraceMinutes: 45 is not 0 to 30: the service gives 30"));

  // The time page's address is read at every time check: no reload is asked for.
  registry.SetIntegerForTesting(kProductKey, "ReadSettings", 0);
  ASSERT_EQ(Hwctl({"timeurl", "http://127.0.0.1:8080/cgi-bin/timer.pl"}).exitCode, kExitSuccess);
  EXPECT_EQ(Value(kProductKey, "TimeUrl"), StringValue("http://127.0.0.1:8080/cgi-bin/timer.pl"));
  ASSERT_EQ(Hwctl({"timeurl", "https://a.example/", "http://b.example/"}).exitCode, kExitSuccess);
  EXPECT_EQ(Value(kProductKey, "TimeUrl"), StringValue("https://a.example/ http://b.example/"));
  ASSERT_EQ(Hwctl({"timeurl", "none"}).exitCode, kExitSuccess);
  EXPECT_EQ(Value(kProductKey, "TimeUrl"), StringValue("none"));
  ASSERT_EQ(Hwctl({"timeurl", "default"}).exitCode, kExitSuccess);
  EXPECT_EQ(Value(kProductKey, "TimeUrl"), StringValue(""));
  EXPECT_EQ(ReloadRequest(), IntegerValue(0));

  ASSERT_EQ(Hwctl({"reload"}).exitCode, kExitSuccess);
  EXPECT_EQ(ReloadRequest(), IntegerValue(1));
}

// A confirmation tells what changed in plain words; --verbose adds each value written.
TEST_F(CommandsTest, ConfirmationsSayWhatChangedAndVerboseAddsTheValuesWritten) {
  const struct {
    std::vector<std::string> arguments;
    const char* said;
    const char* written;
  } cases[] = {
      {{"debug", "1"}, "The debug log now records user events and failures (level 1).\n",
       "  HKLM\\SOFTWARE\\Qorvex\\Hourwarden: Debug = 1\n  HKLM\\SOFTWARE\\Qorvex\\Hourwarden: ReadSettings = 1\n"},
      {{"path", "C:\\Hourwarden"}, "The service now writes its logs to C:\\Hourwarden\\debug.log and C:\\Hourwarden\\process.log.\n",
       "Hourwarden: Path = \"C:\\Hourwarden\\\"\n"},
      {{"timeurl", "https://a.example/", "http://b.example/"},
       "The service now asks https://a.example/, then http://b.example/ for the time.\n",
       "Hourwarden: TimeUrl = \"https://a.example/ http://b.example/\"\n"},
      {{"timezone", "none"}, "The service now keeps its days and restricted periods in the computer's zone",
       "Hourwarden: TimeZone = \"\"\n"},
      {{"limit", "alice", "60", "60", "60", "60", "60", "-", "-"},
       "alice: Monday to Friday 1 h, Saturday and Sunday no limit.\n",
       "Time_restrictions\\alice: DayLimit = \"60 60 60 60 60 1440 1440\"\n"},
      {{"remove", "alice", "--yes"}, "alice is no longer a restricted user.",
       "  HKLM\\SOFTWARE\\Qorvex\\Hourwarden\\Time_restrictions\\alice deleted\n"},
  };
  EXPECT_THAT(Hwctl({"show", "alice", "--verbose"}).output,
              AllOf(StartsWith("alice (HKLM\\SOFTWARE\\Qorvex\\Hourwarden\\Time_restrictions\\alice)\n"),
                    HasSubstr("the user is signed out, unsaved work is lost (EndSession logoff).\n"),
                    Not(HasSubstr("Written to the registry"))));
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const CommandResult plain = Hwctl(c.arguments);
    ASSERT_EQ(plain.exitCode, kExitSuccess) << plain.error;
    EXPECT_THAT(plain.output, StartsWith(c.said));
    EXPECT_THAT(plain.output, Not(HasSubstr("HKLM")));
    if (c.arguments[0] == "remove") {
      ASSERT_EQ(Hwctl({"add", "alice"}).exitCode, kExitSuccess);
    }
    std::vector<std::string> verbose = c.arguments;
    verbose.insert(verbose.begin(), "--verbose");
    const CommandResult named = Hwctl(verbose);
    EXPECT_THAT(named.output, StartsWith(c.said));
    EXPECT_THAT(named.output, HasSubstr("\nWritten to the registry:\n"));
    EXPECT_THAT(named.output, HasSubstr(c.written));
  }
}

TEST_F(CommandsTest, PathCreatesAMissingFolderForTheAdministratorsOnly) {
  const CommandResult result = Hwctl({"path", "C:\\ProgramData\\Hourwarden", "--create"});
  ASSERT_EQ(result.exitCode, kExitSuccess) << result.error;
  EXPECT_THAT(folders.created, ElementsAre("C:\\ProgramData\\Hourwarden"));
  EXPECT_EQ(Value(kProductKey, "Path"), StringValue("C:\\ProgramData\\Hourwarden\\"));
  // An existing folder is taken as it is, the upgrade's case.
  ASSERT_EQ(Hwctl({"path", "C:\\ProgramData\\Hourwarden\\", "--create"}).exitCode, kExitSuccess);
  EXPECT_EQ(folders.created.size(), 1u);
}

TEST_F(CommandsTest, AFolderThatCannotBeCreatedIsRefused) {
  folders.FailCreating("CreateDirectoryA failed with error 5: Access is denied.");
  const CommandResult result = Hwctl({"path", "D:\\Logs", "--create"});
  EXPECT_EQ(result.exitCode, kExitRefused);
  EXPECT_THAT(result.error, HasSubstr("could not be created (CreateDirectoryA failed with error 5"));
  EXPECT_EQ(Value(kProductKey, "Path"), std::nullopt);
}

// Each refusal names the value and the rule, exits with 1 and leaves the registry as it was.
TEST_F(CommandsTest, RefusedCommandsWriteNothing) {
  const struct {
    std::vector<std::string> arguments;
    const char* message;
  } cases[] = {
      {{"periods", "alice", "mon", "8:00-12:00"}, "restricted periods of alice on Monday: \"8:00-12:00\" is not a period HH:mm-HH:mm"},
      {{"periods", "alice", "fri", "12:00-08:00"}, "restricted periods of alice on Friday: the period 12:00-08:00 ends before it starts"},
      {{"periods", "alice", "all", "08:00-12:00 10:00-11:00"}, "restricted periods of alice on every day: the period 10:00-11:00 starts before"},
      {{"periods", "alice", "mo", "08:00-12:00"}, "\"mo\" is not a day"},
      {{"periods", "bob", "mon", "08:00-12:00"}, "bob is not a restricted user"},
      {{"limit", "alice", "60", "60", "-5", "60", "60", "60", "60"}, "allowance of alice on Wednesday: \"-5\" is not an allowance"},
      {{"limit", "alice", "60", "abc", "60", "60", "60", "60", "60"}, "allowance of alice on Tuesday: \"abc\""},
      {{"limit", "bob", "60", "60", "60", "60", "60", "60", "60"}, "bob is not a restricted user"},
      {{"grant", "alice", "-10"}, "extra time for alice: \"-10\" is not an amount of extra time"},
      {{"grant", "alice", "ten"}, "\"ten\""},
      {{"grant", "bob", "10"}, "bob is not a restricted user"},
      {{"show", "bob"}, "bob is not a restricted user"},
      {{"add", "alice"}, "alice is already a restricted user"},
      {{"add", "ali\\ce", "--not-yet"}, "user name: \"ali\\ce\" holds a character"},
      {{"add", "alicia"}, "alicia is no account of this computer; nothing was written\nGive an account's name"},
      {{"add", "Smith"}, "Smith is no account"},
      {{"add", "CORP\\carol", "--not-yet"}, "CORP\\carol is an account of CORP, not of this computer"},
      {{"add", "alice.smith@outlook.com"}, "alice is already a restricted user"},
      {{"remove", "alice"}, "confirm with: hwctl remove alice --yes"},
      {{"remove", "bob", "--yes"}, "bob is not a restricted user"},
      {{"debug", "7"}, "debug level: \"7\" is not a debug level"},
      {{"servicelogoff", "yes"}, "servicelogoff: \"yes\" is neither on nor off"},
      {{"countlocked", "0"}, "countlocked: \"0\" is neither on nor off"},
      {{"endsession", "Lock"}, "endsession: \"Lock\" is neither lock nor logoff"},
      {{"path", "Logs"}, "log folder: \"Logs\\\" is not a full folder path"},
      {{"path", "C:\\Missing\\"}, "the folder C:\\Missing\\ does not exist"},
      {{"path", "C:\\Users\\Public"}, "standard users can write to C:\\Users\\Public\\ (Users (S-1-5-32-545) may create"},
      {{"path", "C:\\Users\\Public", "--create"}, "standard users can write to C:\\Users\\Public\\"},
      {{"path", "Logs", "--create"}, "log folder: \"Logs\\\" is not a full folder path"},
      {{"timeurl", "ftp://time.example.net/"}, "time pages: \"ftp://time.example.net/\" is not an http:// or https://"},
      {{"timeurl", "https://time.example.net:0/"}, "time pages: \"https://time.example.net:0/\" has a port that is not"},
      {{"timeurl", "https://a.example/", "none"}, "time pages: \"none\" is not an http:// or https://"},
      {{"timeurl", "default", "https://a.example/"}, "time pages: \"default\" is not an http:// or https://"},
      {{"timezone", "Mars", "Standard", "Time"}, "time zone: \"Mars Standard Time\" is not a time zone of this computer"},
      {{"timezone", "..\\Tokyo Standard Time"}, "time zone: \"..\\Tokyo Standard Time\" is not a time zone"},
  };
  registry.SetIntegerForTesting(User("alice"), "SpentTime", 30);
  registry.SetStringForTesting(User("alice"), "TimeStamp", "08.12.2026");
  const auto before = Snapshot();
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const CommandResult result = Hwctl(c.arguments);
    EXPECT_EQ(result.exitCode, kExitRefused);
    EXPECT_THAT(result.error, StartsWith("hwctl: "));
    EXPECT_THAT(result.error, HasSubstr(c.message));
    EXPECT_TRUE(result.output.empty());
    EXPECT_EQ(Snapshot(), before);
  }
}

// The zone is stored by its name and the service reads it at its next minute; the commands then
// count the day in it, as the service does.
TEST_F(CommandsTest, TimezoneStoresTheZoneTheServiceAndTheCommandsKeepTheirDaysIn) {
  clock.SetUtc({2026, 12, 8, 15, 30, 0, 0});  // 16:30 in W. Europe, 00:30 the next day in Tokyo
  registry.SetIntegerForTesting(User("alice"), "SpentTime", 30);
  registry.SetStringForTesting(User("alice"), "TimeStamp", "08.12.2026");

  const CommandResult tokyo = Hwctl({"timezone", "Tokyo", "Standard", "Time"});
  ASSERT_EQ(tokyo.exitCode, kExitSuccess) << tokyo.error;
  EXPECT_EQ(tokyo.output, "The service now keeps its days and restricted periods in Tokyo Standard Time (there it "
                          "is now 09.12.2026 00:30).\nThe service applies it at its next minute.\n");
  EXPECT_EQ(Value(kProductKey, "TimeZone"), StringValue("Tokyo Standard Time"));
  EXPECT_EQ(ReloadRequest(), IntegerValue(1));
  EXPECT_THAT(Hwctl({"list"}).output, StartsWith("Wednesday 09.12.2026 00:30\nTime zone: Tokyo Standard Time\n"
                                                 "User   Allowance  Spent  Left  Restricted now  Next period  Logoff\n"
                                                 "alice  unlimited  0      -"));
  EXPECT_THAT(Hwctl({"grant", "alice", "10"}).output, HasSubstr("no minutes counted today"));

  ASSERT_EQ(Hwctl({"timezone", "current"}).exitCode, kExitSuccess);
  EXPECT_EQ(Value(kProductKey, "TimeZone"), StringValue("W. Europe Standard Time"));
  EXPECT_THAT(Hwctl({"show", "alice"}).output, HasSubstr("\nTime zone: W. Europe Standard Time\n"));
  EXPECT_THAT(Hwctl({"show", "alice"}).output, HasSubstr("* Today: 30 minutes spent"));
  // A count dated after today is kept for today, as the service keeps it.
  registry.SetStringForTesting(User("alice"), "TimeStamp", "09.12.2026");
  EXPECT_THAT(Hwctl({"show", "alice"}).output, HasSubstr("* Today: 30 minutes spent"));

  ASSERT_EQ(Hwctl({"timezone", "none"}).exitCode, kExitSuccess);
  EXPECT_EQ(Value(kProductKey, "TimeZone"), StringValue(""));
  zones.systemZone.clear();  // the computer's zone cannot be read
  const CommandResult unknown = Hwctl({"timezone", "current"});
  EXPECT_EQ(unknown.exitCode, kExitRefused);
  EXPECT_THAT(unknown.error, HasSubstr("time zone: the computer's zone cannot be read"));
}

TEST_F(CommandsTest, ARegistryThatRefusesTheWriteIsReported) {
  registry.SetKeyRightsForTesting(User("alice"), kKeyRead);
  const CommandResult result = Hwctl({"limit", "alice", "1", "2", "3", "4", "5", "6", "7"});
  EXPECT_EQ(result.exitCode, kExitRefused);
  EXPECT_THAT(result.error, HasSubstr("cannot open HKLM\\SOFTWARE\\Qorvex\\Hourwarden\\Time_restrictions\\alice for "
                                      "writing; run hwctl as an administrator"));
  EXPECT_EQ(ReloadRequest(), IntegerValue(0));

  registry.RefuseWritesForTesting(kProductKey);
  const CommandResult refused = Hwctl({"reload"});
  EXPECT_EQ(refused.exitCode, kExitRefused);
  EXPECT_THAT(refused.error, HasSubstr("\"ReadSettings\""));
  EXPECT_THAT(refused.error, HasSubstr("write refused"));
}

TEST_F(CommandsTest, CommandLinesItDoesNotUnderstandAreUsageErrors) {
  const auto before = Snapshot();
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {}, {"frobnicate"}, {"limit", "alice", "60", "60", "60", "60", "60", "60"}, {"show"},
           {"list", "extra"}, {"add", "bob", "--force"}, {"limit", "alice", "--yes", "1", "2", "3", "4", "5", "6", "7"}}) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    const CommandResult result = Hwctl(arguments);
    EXPECT_EQ(result.exitCode, kExitUsage);
    EXPECT_THAT(result.error, StartsWith("hwctl: "));
  }
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(CommandsTest, EveryCommandHasItsHelpWhateverElseIsGiven) {
  const auto before = Snapshot();
  for (const char* name :
       {"list", "show", "add", "remove", "limit", "periods", "grant", "reload", "debug", "path", "timeurl", "timezone",
        "servicelogoff", "endsession", "countlocked", "check",
        "parent-code"}) {
    SCOPED_TRACE(name);
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {name, "--help"}, {name, "alice", "-h"}, {"help", name}}) {
      const CommandResult result = Hwctl(arguments);
      EXPECT_EQ(result.exitCode, kExitSuccess);
      EXPECT_THAT(result.output, StartsWith(std::string("usage: hwctl ") + name));
    }
  }
  const std::string overview = Hwctl({"--help"}).output;
  EXPECT_THAT(overview, HasSubstr("limit USER MON TUE WED THU FRI SAT SUN"));
  EXPECT_EQ(WrapLines(overview), overview) << "the list of commands fits 100 columns as it is";
  EXPECT_EQ(Snapshot(), before);
}

}  // namespace
