#include "hwctl/parent_code_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/hwctl_fixture.h"
#include "parentcode/base32.h"
#include "parentcode/code_values.h"
#include "settings/settings_loader.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The Base32 of the fixture's random bytes 0x01 .. 0x14.
std::string ExpectedSecret() {
  std::string bytes;
  for (char i = 1; i <= 20; ++i) bytes += i;
  return EncodeBase32(bytes);
}

// hwctl with alice restricted and Path set, so that check finds nothing else.
class ParentCodeCommandsTest : public ::testing::Test, protected HwctlFixture {
 protected:
  ParentCodeCommandsTest() {
    EXPECT_EQ(Hwctl({"add", "alice"}).exitCode, kExitSuccess);
    EXPECT_EQ(Hwctl({"path", "C:\\Hourwarden\\"}).exitCode, kExitSuccess);
  }
  ~ParentCodeCommandsTest() override { EXPECT_EQ(registry.OpenKeyCountForTesting(), 0); }
  std::optional<RegistryValue> Secret() const { return registry.ValueForTesting(kParentCodeKey, kSecretValue); }
};

TEST_F(ParentCodeCommandsTest, NewStoresTheSecretInAKeyForTheAdministratorsOnlyAndPrintsItOnce) {
  const CommandResult result = Hwctl({"parent-code", "new"});
  ASSERT_EQ(result.exitCode, kExitSuccess) << result.error;
  EXPECT_EQ(Secret(), StringValue(ExpectedSecret()));
  EXPECT_EQ(KeyOpenToOthers(keySecurity.Read(kParentCodeKey).Value()), std::nullopt);
  EXPECT_THAT(result.output,
              HasSubstr("otpauth://totp/Hourwarden:KIDS%20PC?secret=" + ExpectedSecret() + "&issuer=Hourwarden"));
  EXPECT_THAT(result.output, HasSubstr(ExpectedSecret().substr(0, 4) + " " + ExpectedSecret().substr(4, 4)));
  // The address (92 bytes) in a QR code of version 6: 41 modules and the quiet zone.
  EXPECT_THAT(result.output, HasSubstr("\n  " + std::string(49, '#') + "\n"));
  EXPECT_THAT(result.output, HasSubstr("a code gives 30 minutes"));
  EXPECT_THAT(Hwctl({"parent-code", "new"}).output, HasSubstr("replaces the old one"));
  for (const auto& arguments : {std::vector<std::string>{"parent-code", "show"}, {"check"}, {"list"}, {"show", "alice"}})
    EXPECT_THAT(Hwctl(arguments).output, Not(HasSubstr(ExpectedSecret().substr(0, 8))));
}

TEST_F(ParentCodeCommandsTest, NewWritesNoSecretWhereItCouldBeRead) {
  const auto before = Snapshot();
  random.failure = "BCryptGenRandom failed with status 0xC0000001";
  EXPECT_EQ(Hwctl({"parent-code", "new"}).exitCode, kExitRefused);
  random.failure.clear();
  keySecurity.failure = "RegSetKeySecurity failed with error 5: Access is denied.";
  EXPECT_THAT(Hwctl({"parent-code", "new"}).error, HasSubstr("RegSetKeySecurity failed with error 5"));
  EXPECT_EQ(Snapshot(), before);
  keySecurity.failure.clear();
  keySecurity.ignoreLockDown = true;
  const CommandResult open = Hwctl({"parent-code", "new"});
  EXPECT_EQ(open.exitCode, kExitRefused);
  EXPECT_THAT(open.error, HasSubstr("Users (S-1-5-32-545) may read it"));
  EXPECT_EQ(Secret(), std::nullopt);
}

TEST_F(ParentCodeCommandsTest, OffRemovesTheSecretAndMaxSetsAUsersDay) {
  ASSERT_EQ(Hwctl({"parent-code", "new"}).exitCode, kExitSuccess);
  EXPECT_THAT(Hwctl({"parent-code", "off"}).output, HasSubstr("no code is accepted any more"));
  EXPECT_FALSE(registry.KeyExistsForTesting(kParentCodeKey));
  EXPECT_THAT(Hwctl({"parent-code", "off"}).output, HasSubstr("No parent's code was set up"));

  EXPECT_THAT(Hwctl({"parent-code", "max", "ALICE", "45"}).output, HasSubstr("alice may now get at most 45 minutes"));
  EXPECT_EQ(registry.ValueForTesting(UserKeyPath("alice"), kCodeMaxMinutesValue), IntegerValue(45));
  EXPECT_THAT(Hwctl({"parent-code", "max", "alice", "0"}).output, HasSubstr("can no longer get time by code"));
  for (const char* minutes : {"-1", "1441", "x", ""})
    EXPECT_EQ(Hwctl({"parent-code", "max", "alice", minutes}).exitCode, kExitRefused) << minutes;
  EXPECT_EQ(Hwctl({"parent-code", "max", "bob", "30"}).exitCode, kExitRefused);
  EXPECT_EQ(registry.ValueForTesting(UserKeyPath("alice"), kCodeMaxMinutesValue), IntegerValue(0));
  for (const auto& arguments : {std::vector<std::string>{"parent-code", "on"}, {"parent-code", "max", "alice"},
                                {"parent-code", "new", "now"}})
    EXPECT_EQ(Hwctl(arguments).exitCode, kExitUsage);
}

TEST_F(ParentCodeCommandsTest, MinutesSetsWhatACodeGivesForAUserOrForEveryone) {
  EXPECT_THAT(Hwctl({"parent-code", "minutes", "45"}).output, HasSubstr("A code now gives 45 minutes to every user"));
  EXPECT_EQ(registry.ValueForTesting(kProductKey, kCodeMinutesValue), IntegerValue(45));
  EXPECT_THAT(Hwctl({"parent-code", "minutes", "ALICE", "20"}).output, HasSubstr("A code now gives alice 20 minutes"));
  EXPECT_EQ(registry.ValueForTesting(UserKeyPath("alice"), kCodeMinutesValue), IntegerValue(20));
  const auto before = Snapshot();
  for (const auto& arguments : {std::vector<std::string>{"parent-code", "minutes", "0"},
                                {"parent-code", "minutes", "alice", "1441"}, {"parent-code", "minutes", "bob", "10"},
                                {"parent-code", "minutes", "x"}})
    EXPECT_EQ(Hwctl(arguments).exitCode, kExitRefused) << arguments.back();
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(Hwctl({"parent-code", "minutes"}).exitCode, kExitUsage);

  // The earlier version's record: its CodeMinutes (the minutes given) moves to CodeGiven first.
  registry.SetIntegerForTesting(UserKeyPath("alice"), kEarlierLastStepValue, 100);
  registry.SetIntegerForTesting(UserKeyPath("alice"), kCodeMinutesValue, 25);
  ASSERT_EQ(Hwctl({"parent-code", "minutes", "alice", "15"}).exitCode, kExitSuccess);
  EXPECT_EQ(registry.ValueForTesting(UserKeyPath("alice"), kCodeGivenValue), IntegerValue(25));
  EXPECT_EQ(registry.ValueForTesting(UserKeyPath("alice"), kCodeMinutesValue), IntegerValue(15));
  EXPECT_FALSE(registry.ValueForTesting(UserKeyPath("alice"), kEarlierLastStepValue));
}

TEST_F(ParentCodeCommandsTest, ShowTellsEachUsersDayAndLockOut) {
  EXPECT_THAT(Hwctl({"parent-code", "show"}).output, HasSubstr("Parent's code: not set up."));
  ASSERT_EQ(Hwctl({"parent-code", "new"}).exitCode, kExitSuccess);
  registry.SetIntegerForTesting(UserKeyPath("alice"), kCodeGivenValue, 30);
  registry.SetIntegerForTesting(UserKeyPath("alice"), kCodeMinutesValue, 20);
  registry.SetStringForTesting(UserKeyPath("alice"), kCodeDateValue, "08.12.2026");
  registry.SetIntegerForTesting(UserKeyPath("alice"), kCodeWrongValue, 5);
  registry.SetStringForTesting(UserKeyPath("alice"), kCodeLockedUntilValue, std::to_string(UnixSeconds(clock.UtcNow()) + 600));
  const std::string output = Hwctl({"parent-code", "show"}).output;
  EXPECT_THAT(output, HasSubstr("Parent's code: set up"));
  EXPECT_THAT(output, ::testing::ContainsRegex("alice +20 +60 +30 +5 +until 10:10"));
}

TEST_F(ParentCodeCommandsTest, CheckFlagsASecretOthersCanReadOrThatIsNoBase32) {
  ASSERT_EQ(Hwctl({"parent-code", "new"}).exitCode, kExitSuccess);
  EXPECT_EQ(Hwctl({"check"}).exitCode, kExitSuccess);
  EXPECT_THAT(Hwctl({"check"}).output, HasSubstr("Parent's code: set up"));
  keySecurity.Set(kParentCodeKey,
                  {true, false, {{true, false, kAdministratorsSid, 0xF003F}, {true, false, kUsersSid, 0x20019}}});
  registry.SetStringForTesting(kParentCodeKey, kSecretValue, "not base32!");
  registry.SetStringForTesting(UserKeyPath("alice"), kCodeMaxMinutesValue, "60");
  registry.SetIntegerForTesting(UserKeyPath("alice"), kCodeMinutesValue, 0);
  registry.SetStringForTesting(kProductKey, kCodeMinutesValue, "30");
  const CommandResult result = Hwctl({"check"});
  EXPECT_EQ(result.exitCode, kExitRefused);
  EXPECT_THAT(result.output, HasSubstr("Hourwarden: ParentCode: Users (S-1-5-32-545) may read it: the secret can be read"));
  EXPECT_THAT(result.output, HasSubstr("Hourwarden: ParentCode\\Secret: not a Base32 text"));
  EXPECT_THAT(result.output, HasSubstr("alice: CodeMaxMinutes: not a REG_DWORD"));
  EXPECT_THAT(result.output, HasSubstr("alice: CodeMinutes: 0 is outside 1..1440"));
  EXPECT_THAT(result.output, HasSubstr("Hourwarden: CodeMinutes: not a REG_DWORD"));
}

TEST(KeyOpenToOthersTest, NamesWhoBesidesTheSystemAndTheAdministratorsMayReadOrChange) {
  const auto list = [](std::vector<AccessEntry> entries) {
    return KeyAccessList{true, false, std::move(entries)};
  };
  EXPECT_EQ(KeyOpenToOthers(list({{true, false, kLocalSystemSid, 0xF003F}, {true, false, kAdministratorsSid, 0xF003F}})),
            std::nullopt);
  EXPECT_EQ(KeyOpenToOthers(list({{true, false, kEveryoneSid, 0x80000000}})), "Everyone (S-1-1-0) may read it");
  EXPECT_EQ(KeyOpenToOthers(list({{true, false, "S-1-5-21-1-2-3-1001", 0x00040000}})), "S-1-5-21-1-2-3-1001 may change it");
  EXPECT_EQ(KeyOpenToOthers(list({{false, false, kUsersSid, 0x1}, {true, false, kUsersSid, 0x20019}})), std::nullopt);
  EXPECT_EQ(KeyOpenToOthers(list({{true, true, kUsersSid, 0xF003F}})), std::nullopt) << "inherit-only";
  EXPECT_EQ(KeyOpenToOthers(KeyAccessList{true, true, {}}),
            "everyone (the key has no access list) may read and change it");
}

}  // namespace
