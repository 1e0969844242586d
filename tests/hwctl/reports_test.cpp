#include "hwctl/reports.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "fakes/hwctl_fixture.h"
#include "settings/registry_values.h"
#include "settings/settings_loader.h"

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string User(const std::string& name) { return UserKeyPath(name); }

class ReportsTest : public ::testing::Test, protected HwctlFixture {
 protected:
  // alice: a clean configuration written by hwctl; bob and carol: hand-written keys.
  void ThreeUsers() {
    ASSERT_EQ(Hwctl({"add", "alice"}).exitCode, kExitSuccess);
    ASSERT_EQ(Hwctl({"limit", "alice", "60", "60", "60", "60", "90", "-", "-"}).exitCode, kExitSuccess);
    ASSERT_EQ(Hwctl({"periods", "alice", "tue", "21:00-24:00"}).exitCode, kExitSuccess);
    registry.SetIntegerForTesting(User("alice"), "SpentTime", 30);
    registry.SetStringForTesting(User("alice"), "TimeStamp", "08.12.2026");
    registry.SetValueForTesting(User("alice"), "SpentDays",
                                MultiStringValue("", "", {"24.11.2026=90", "07.12.2026=45", "08.12.2026=20", "09.12.2026=5"}));
    for (int day = 0; day < 7; ++day) registry.SetStringForTesting(User("bob"), "Day" + std::to_string(day), "08:00 12:00");
    registry.SetIntegerForTesting(User("bob"), "SpentTime", 500);
    registry.SetStringForTesting(User("bob"), "TimeStamp", "07.12.2026");  // yesterday's count
    registry.SetIntegerForTesting(User("bob"), "Logoff", 1);
    registry.SetStringForTesting(User("carol"), "Day0", "8:00 9:00");
    registry.SetStringForTesting(User("carol"), "DayLimit", "30 30");
    registry.SetIntegerForTesting(User("carol"), "SpentTime", 45);
    registry.SetStringForTesting(User("carol"), "TimeStamp", "08.12.2026");
  }
};

TEST_F(ReportsTest, ListShowsEachUsersDayAsTheServiceSeesIt) {
  ThreeUsers();
  const CommandResult result = Hwctl({"list"});
  EXPECT_EQ(result.exitCode, kExitSuccess);
  EXPECT_EQ(result.output,
            "Tuesday 08.12.2026 10:00\n"
            "Time zone: the computer's (W. Europe Standard Time), which users may change; hwctl timezone current fixes it\n"
            "User   Allowance  Spent  Left     Restricted now  Next period  Logoff\n"
            "alice  60         30     30       no              21:00        no\n"
            "bob    unlimited  0      -        until 12:00     Wed 08:00    requested\n"
            "carol  30         45     0, over  no              none         no\n"
            "carol: some values are misread; hwctl check names them.\n"
            "A reload is pending: the service applies the settings at its next minute.\n"
            "alice: Alice Smith, alice.smith@outlook.com\n"
            "bob: Bob Smith\n"
            "carol: no account of this computer has this name (hwctl check)\n"
            "Minutes of a locked or disconnected session: counted.\n");
}

TEST_F(ReportsTest, ListWithoutUsersSaysHowToAddOne) {
  EXPECT_EQ(Hwctl({"list"}).output, "Tuesday 08.12.2026 10:00\n" "Time zone: the computer's (W. Europe Standard Time), which users may change; hwctl timezone current fixes it\n"
                                    "No restricted users. Add one with: hwctl add USER\n"
                                    "Minutes of a locked or disconnected session: counted.\n");
}

TEST_F(ReportsTest, ShowGivesTheWeekWithTodayMarked) {
  ThreeUsers();
  EXPECT_EQ(Hwctl({"show", "ALICE"}).output,
            "alice\n"
            "Time zone: the computer's (W. Europe Standard Time), which users may change; hwctl timezone current fixes it\n"
            "Day        Allowance  Restricted periods\n"
            "Monday     60         none\n"
            "Tuesday *  60         21:00-24:00\n"
            "Wednesday  60         none\n"
            "Thursday   60         none\n"
            "Friday     90         none\n"
            "Saturday   unlimited  none\n"
            "Sunday     unlimited  none\n"
            "* Today: 30 minutes spent, left 30; restricted now: no; next period: 21:00; logoff request: no\n"
            "Minutes counted, last 14 days:\n"
            "Date            Minutes\n"
            "Mon 07.12.2026  45\n"
            "Tue 08.12.2026  30       today\n"
            "Wed 09.12.2026  5        after today: counted while the clock was ahead\n"
            "alice: Alice Smith, alice.smith@outlook.com\n"
            "When the time is up: the user is signed out, unsaved work is lost.\n"
            "Sessions left open when the time is up: ended by the service.\n"
            "Minutes of a locked or disconnected session: counted.\n");
  const std::string carol = Hwctl({"show", "carol"}).output;
  EXPECT_THAT(carol, HasSubstr("Monday     30         \"8:00 9:00\" (misread)\n"));
  EXPECT_THAT(carol, HasSubstr("Note: some values are misread"));
  EXPECT_THAT(carol, HasSubstr("Minutes counted, last 14 days:\nDate            Minutes\nTue 08.12.2026  45       today\n"));
}

// The service takes a value of the wrong type as missing, and so does the report: the day's count
// is then the ledger's, or none.
TEST_F(ReportsTest, AValueOfTheWrongTypeShowsAsMissing) {
  ThreeUsers();
  registry.SetStringForTesting(User("alice"), "SpentTime", "30");
  EXPECT_THAT(Hwctl({"list"}).output, HasSubstr("alice  60         20     40       no"));
  registry.SetStringForTesting(User("alice"), "SpentDays", "08.12.2026=20");
  EXPECT_THAT(Hwctl({"list"}).output, HasSubstr("alice  60         0      60       no"));
  EXPECT_THAT(Hwctl({"show", "alice"}).output, HasSubstr("? Registry value \"SpentTime\""));
}

// Each misconfiguration on top of a clean one is found and named with its user and value.
TEST_F(ReportsTest, CheckFindsEveryKindOfMisreadValue) {
  using Setup = std::function<void(HwctlFixture&)>;
  const struct {
    const char* name;
    Setup setup;
    std::string line;
  } cases[] = {
      {"time without two-digit fields", [](HwctlFixture& f) { f.registry.SetStringForTesting(User("alice"), "Day0", "8:00 12:00"); },
       "alice: Day0 (Monday): \"8:00 12:00\": \"8:00\" is not a time HH:mm"},
      {"times not ascending", [](HwctlFixture& f) { f.registry.SetStringForTesting(User("alice"), "Day1", "12:00 08:00"); },
       "alice: Day1 (Tuesday): \"12:00 08:00\": times not ascending: 08:00 follows 12:00"},
      {"odd time count", [](HwctlFixture& f) { f.registry.SetStringForTesting(User("alice"), "Day2", "22:00"); },
       "alice: Day2 (Wednesday): \"22:00\": an odd number of times"},
      {"tab", [](HwctlFixture& f) { f.registry.SetStringForTesting(User("alice"), "Day3", "08:00\t12:00"); },
       "alice: Day3 (Thursday): \"08:00\t12:00\": contains a tab"},
      {"non-decimal allowance", [](HwctlFixture& f) { f.registry.SetStringForTesting(User("alice"), "DayLimit", "60 6O"); },
       "alice: DayLimit: \"60 6O\": \"6O\" (Tuesday) is not a whole number of minutes"},
      {"negative allowance", [](HwctlFixture& f) { f.registry.SetStringForTesting(User("alice"), "DayLimit", "-1"); },
       "alice: DayLimit: \"-1\": -1 (Monday) is negative"},
      {"day filter of the wrong type", [](HwctlFixture& f) { f.registry.SetIntegerForTesting(User("alice"), "Day4", 8); },
       "alice: Day4 (Friday): holds REG_DWORD where REG_SZ was expected: the service takes it as missing"},
      {"spent time of the wrong type", [](HwctlFixture& f) { f.registry.SetStringForTesting(User("alice"), "SpentTime", "5"); },
       "alice: SpentTime: holds REG_SZ where REG_DWORD was expected: the service takes it as missing"},
      {"logoff of the wrong type", [](HwctlFixture& f) { f.registry.SetStringForTesting(User("alice"), "Logoff", "1"); },
       "alice: Logoff: holds REG_SZ where REG_DWORD was expected"},
      {"debug of the wrong type", [](HwctlFixture& f) { f.registry.SetStringForTesting(kProductKey, "Debug", "2"); },
       "Hourwarden: Debug: holds REG_SZ where REG_DWORD was expected"},
      {"time url of the wrong type", [](HwctlFixture& f) { f.registry.SetIntegerForTesting(kProductKey, "TimeUrl", 1); },
       "Hourwarden: TimeUrl: holds REG_DWORD where REG_SZ was expected: the service takes it as missing"},
      {"gap in the day filters",
       [](HwctlFixture& f) {
         f.registry.DeleteKeyForTesting(User("alice"));
         f.registry.SetStringForTesting(User("alice"), "Day0", "");
         f.registry.SetStringForTesting(User("alice"), "Day2", "08:00 09:00");
       },
       "alice: Day1 (Tuesday): missing, so the service reads no later day and never applies Day2"},
      {"Day7", [](HwctlFixture& f) { f.registry.SetStringForTesting(User("alice"), "Day7", ""); },
       "alice: Day7: no weekday uses it"},
      {"ledger line that is no date and count",
       [](HwctlFixture& f) {
         f.registry.SetValueForTesting(User("alice"), "SpentDays", MultiStringValue("", "", {"07.12.2026=5", "yesterday=5"}));
       },
       "alice: SpentDays: the line \"yesterday=5\" is no dd.mm.yyyy=minutes of a date of its own: the service takes "
       "it as missing"},
      {"ledger of the wrong type", [](HwctlFixture& f) { f.registry.SetStringForTesting(User("alice"), "SpentDays", "x"); },
       "alice: SpentDays: holds REG_SZ where REG_MULTI_SZ was expected: the service takes it as missing"},
      {"time stamp in another form", [](HwctlFixture& f) { f.registry.SetStringForTesting(User("alice"), "TimeStamp", "8.12.2026"); },
       "alice: TimeStamp: \"8.12.2026\" is not a date dd.mm.yyyy"},
      {"empty Path", [](HwctlFixture& f) { f.registry.SetStringForTesting(kProductKey, "Path", ""); },
       "Hourwarden: Path: is empty"},
      {"Path without a backslash", [](HwctlFixture& f) { f.registry.SetStringForTesting(kProductKey, "Path", "C:\\Hourwarden"); },
       "Hourwarden: Path: \"C:\\Hourwarden\" does not end in a backslash: the debug log becomes C:\\Hourwardendebug.log"},
      {"Path writable by standard users", [](HwctlFixture& f) { f.registry.SetStringForTesting(kProductKey, "Path", "C:\\Users\\Public\\"); },
       "Hourwarden: Path: standard users can write to C:\\Users\\Public\\"},
      {"Path to no folder", [](HwctlFixture& f) { f.registry.SetStringForTesting(kProductKey, "Path", "D:\\Logs\\"); },
       "Hourwarden: Path: the folder D:\\Logs\\ does not exist"},
      {"TimeZone naming no zone", [](HwctlFixture& f) { f.registry.SetStringForTesting(kProductKey, "TimeZone", "Mars Standard Time"); },
       "Hourwarden: TimeZone: \"Mars Standard Time\" is not a time zone of this computer: the service uses the "
       "computer's zone (W. Europe Standard Time)"},
      {"TimeZone of the wrong type", [](HwctlFixture& f) { f.registry.SetIntegerForTesting(kProductKey, "TimeZone", 9); },
       "Hourwarden: TimeZone: holds REG_DWORD where REG_SZ was expected: the service takes it as missing and keeps its "
       "days in the computer's zone"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HwctlFixture fixture;
    fixture.registry.SetIntegerForTesting(kProductKey, "Debug", 2);
    ASSERT_EQ(fixture.Hwctl({"path", "C:\\Hourwarden"}).exitCode, kExitSuccess);
    ASSERT_EQ(fixture.Hwctl({"add", "alice"}).exitCode, kExitSuccess);
    ASSERT_EQ(fixture.Hwctl({"periods", "alice", "all", "21:00-24:00"}).exitCode, kExitSuccess);
    ASSERT_EQ(fixture.Hwctl({"check"}).exitCode, kExitSuccess);

    c.setup(fixture);
    const CommandResult result = fixture.Hwctl({"check"});
    EXPECT_EQ(result.exitCode, kExitRefused);
    EXPECT_THAT(result.output, HasSubstr(c.line)) << result.output;
    EXPECT_THAT(result.output, HasSubstr(" found.\n"));
  }
}

TEST_F(ReportsTest, CheckOfACleanConfigurationFindsNothing) {
  for (const bool installed : {false, true}) {  // no key at all; the installer's values and no user
    HwctlFixture pc;
    if (installed) {
      ASSERT_EQ(pc.Hwctl({"path", "C:\\Hourwarden\\"}).exitCode, kExitSuccess);
    }
    for (const char* command : {"check", "list"}) {
      const CommandResult fresh = pc.Hwctl({command});
      EXPECT_EQ(fresh.exitCode, kExitSuccess) << command << " " << installed << "\n" << fresh.output;
      EXPECT_THAT(fresh.output, HasSubstr(command == std::string("check") ? "Nothing is restricted yet: the service"
                                                                            : "No restricted users. Add one with"));
    }
  }
  ASSERT_EQ(Hwctl({"add", "alice"}).exitCode, kExitSuccess);  // every child's account restricted
  ASSERT_EQ(Hwctl({"add", "bob"}).exitCode, kExitSuccess);
  ASSERT_EQ(Hwctl({"timezone", "current"}).exitCode, kExitSuccess);
  ASSERT_EQ(Hwctl({"timeurl", "https://time.example.net/"}).exitCode, kExitSuccess);
  const CommandResult result = Hwctl({"check"});
  EXPECT_EQ(result.exitCode, kExitRefused);  // no Path yet
  EXPECT_EQ(result.output, "Hourwarden: Path: missing: the logs are written to the service's current folder\n1 problem found.\n"
                           "Parent's code: not set up.\n");
  registry.SetStringForTesting(kProductKey, "Path", "C:\\Hourwarden\\");
  EXPECT_EQ(Hwctl({"check"}).output,
            "No problems found: the service reads every value as it is meant.\nParent's code: not set up.\n");
}

// What a child could use is a warning, not a problem: check still exits with 0 for it.
TEST_F(ReportsTest, CheckWarnsOfAZoneUsersMayChangeOfTheTimeOverPlainHttpAndOfATrustedClock) {
  const std::string noZone =
      "warning: Hourwarden: TimeZone: not set: the service keeps its days and restricted periods in the computer's "
      "zone (W. Europe Standard Time), which standard users may change to reach another day; hwctl timezone current "
      "sets it to the computer's zone\n";
  const std::string otherZone =
      "warning: Hourwarden: TimeZone: Tokyo Standard Time is not the computer's zone (W. Europe Standard Time): the "
      "days and restricted periods follow Tokyo Standard Time, the clock on the screen does not\n";
  const auto plainHttp = [](const std::string& url) {
    return "warning: Hourwarden: TimeUrl: the time comes over plain HTTP (" + url +
           "), so a network a child controls, such as a phone's hotspot, can set the date; an https:// address is "
           "the hardened setting: hwctl timeurl https://...\n";
  };
  const struct {
    const char* name;
    std::vector<std::vector<std::string>> commands;
    std::string warnings;
  } cases[] = {
      {"nothing set: the https:// defaults", {}, noZone},
      {"zone emptied, an http address among others",
       {{"timezone", "none"}, {"timeurl", "https://a.example/", "http://time.example.net/", "HTTP://b.example/"}},
       noZone + plainHttp("http://time.example.net/") + plainHttp("HTTP://b.example/")},
      {"the clock trusted", {{"timezone", "current"}, {"timeurl", "none"}},
       "warning: Hourwarden: TimeUrl: none: the service trusts the computer's clock without asking any site, so "
       "whoever can set the firmware's clock (or start the PC from another system) can move the days; standard users "
       "cannot set the clock in Windows\n"},
      {"another zone", {{"timezone", "Tokyo", "Standard", "Time"}, {"timeurl", "https://time.example.net/"}}, otherZone},
      {"the computer's zone, in other letters", {{"timezone", "w. europe standard time"}, {"timeurl", "HTTPS://t.example/"}}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HwctlFixture fixture;
    // Only the administrators' and the disabled accounts: the children's are another test's.
    std::erase_if(fixture.accounts.list.accounts, [](const LocalAccount& a) { return a.enabled && !a.administrator; });
    ASSERT_EQ(fixture.Hwctl({"path", "C:\\Hourwarden\\"}).exitCode, kExitSuccess);
    for (const auto& command : c.commands) ASSERT_EQ(fixture.Hwctl(command).exitCode, kExitSuccess);
    const CommandResult result = fixture.Hwctl({"check"});
    EXPECT_EQ(result.exitCode, kExitSuccess);
    EXPECT_EQ(result.output,
              "Nothing is restricted yet: the service restricts nobody until an account is added with hwctl add USER.\n"
              "No problems found: the service reads every value as it is meant.\n" + c.warnings + "Parent's code: not set up.\n");
  }
}

}  // namespace
