#include "settingsapp/write_plan.h"

#include <gtest/gtest.h>

#include <functional>

#include "fakes/fake_account_control.h"
#include "fakes/fake_folder_access.h"
#include "settings/in_memory_registry.h"
#include "settings/registry_values.h"

namespace {

constexpr char kAlice[] = "\\SOFTWARE\\Qorvex\\Hourwarden\\Time_restrictions\\alice";

class WritePlanTest : public testing::Test {
 protected:
  void SetUp() override {
    for (int day = 0; day < kDaysInWeek; ++day) tree_.SetStringForTesting(kAlice, DayValueName(day), "");
    tree_.SetStringForTesting(kAlice, "Day1", "12:07 12:08");
    tree_.SetStringForTesting(kAlice, "DayLimit", "60  60");
    tree_.SetIntegerForTesting(kAlice, "SpentTime", 5);
  }

  AccountEdit Page(const std::string& account) { return ReadPage(*registry_, account); }

  ApplyResult Apply(const AccountEdit& edit, bool overwrite = false) {
    return ApplyPlans(*registry_, {{PlanApply(edit), edit.read}}, overwrite);
  }

  std::string Text(const std::string& path, const std::string& name) {
    const std::optional<RegistryValue> value = tree_.ValueForTesting(path, name);
    return value ? TextOfValue(path, name, value) : "(absent)";
  }

  bool ReloadRaised() { return tree_.ValueForTesting(kProductKey, "ReadSettings").has_value(); }

  InMemoryRegistry tree_;
  std::unique_ptr<RegistryAccess> registry_ = tree_.Open();
};

TEST_F(WritePlanTest, OneApplyWritesEveryValueOfTheAccountThenRaisesReadSettings) {
  AccountEdit page = Page("ALICE");
  page.week.Paint(0, 0, 32, 35, true);
  page.allowances.SetField(6, {"2", "0", false});
  const WritePlan plan = PlanApply(page);
  ASSERT_EQ(plan.strings.size(), 8u);
  EXPECT_EQ(Apply(page).outcome, ApplyResult::Outcome::kWritten);
  EXPECT_EQ(Text(kAlice, "Day0"), "08:00 09:00");
  EXPECT_EQ(Text(kAlice, "Day1"), "12:07 12:08");  // untouched, off the quarter hours
  EXPECT_EQ(Text(kAlice, "DayLimit"), "60 60 1440 1440 1440 1440 120");
  EXPECT_EQ(tree_.ValueForTesting(kProductKey, "ReadSettings"), (RegistryValue{kRegDword, std::string("\1\0\0\0", 4)}));
  EXPECT_EQ(tree_.ValueForTesting(kAlice, "SpentTime")->data, std::string("\5\0\0\0", 4));  // the service's own
}

TEST_F(WritePlanTest, AnUnchangedPageWritesNothing) {
  EXPECT_TRUE(PlanApply(Page("alice")).Empty());
  EXPECT_TRUE(PlanApply(Page("bob")).Empty());
  EXPECT_EQ(Apply(Page("alice")).outcome, ApplyResult::Outcome::kWritten);
  EXPECT_FALSE(ReloadRaised());
}

TEST_F(WritePlanTest, RestrictingAndFreeingAnAccount) {
  AccountEdit bob = Page("bob");
  bob.restricted = true;
  EXPECT_EQ(Apply(bob).written, std::vector<std::string>{"bob"});
  const std::string bobKey = std::string(kRestrictionsKey) + "bob";
  EXPECT_EQ(Text(bobKey, "Day6"), "");
  EXPECT_EQ(Text(bobKey, "DayLimit"), "1440 1440 1440 1440 1440 1440 1440");
  AccountEdit alice = Page("alice");
  alice.restricted = false;
  EXPECT_TRUE(PlanApply(alice).deleteKey);
  const ApplyResult freed = Apply(alice);
  EXPECT_EQ(freed.freed, std::vector<std::string>{"alice"});
  EXPECT_FALSE(tree_.KeyExistsForTesting(kAlice));
  EXPECT_TRUE(ReloadRaised());
  // Freed, it gets its logon hours back; a failure says how to do it by hand.
  FakeAccountControl accounts;
  accounts.failures["carol"] = "NetUserSetInfo failed with error 5";
  EXPECT_EQ(GiveLogonHoursBack(accounts, {"alice", "carol"}),
            "carol may still be unable to sign in (NetUserSetInfo failed with error 5): give it its hours back with: net "
            "user carol /times:all\n");
  EXPECT_EQ(accounts.Changes(), (std::vector<std::string>{"unblocked alice", "unblocked carol"}));
}

TEST_F(WritePlanTest, ARefusedValueWritesNothingAndNamesItsField) {
  AccountEdit page = Page("alice");
  page.week.Paint(0, 0, 0, 3, true);
  page.allowances.SetField(3, {"25", "", false});
  const WritePlan plan = PlanApply(page);
  ASSERT_EQ(plan.refusals.size(), 1u);
  EXPECT_EQ(plan.refusals[0].day, 3);
  const ApplyResult result = Apply(page);
  EXPECT_EQ(result.outcome, ApplyResult::Outcome::kRefused);
  EXPECT_EQ(result.message, "alice, Thursday: An allowance runs from 0 minutes to 24 hours (a whole day). Nothing was saved.");
  EXPECT_EQ(Text(kAlice, "Day0"), "");
  EXPECT_FALSE(ReloadRaised());
}

TEST_F(WritePlanTest, WarnsOfValuesChangedUnderTheWindowAndOverwritesOnlyWhenAsked) {
  struct Case {
    const char* name;
    std::function<void(InMemoryRegistry&)> change;
    const char* message;
  };
  const Case cases[] = {
      {"Day2", [](InMemoryRegistry& t) { t.SetStringForTesting(kAlice, "Day2", "10:00 11:00"); },
       "Since this window read them, another program changed these settings of alice: Wednesday's periods. Save yours "
       "over them?"},
      {"DayLimit", [](InMemoryRegistry& t) { t.SetIntegerForTesting(kAlice, "DayLimit", 60); },
       "Since this window read them, another program changed these settings of alice: the allowances. Save yours over "
       "them?"},
      {"key", [](InMemoryRegistry& t) { t.DeleteKeyForTesting(kAlice); },
       "Since this window read them, another program changed these settings of alice: whether it is restricted. Save "
       "yours over them?"},
  };
  for (const Case& c : cases) {
    SetUp();
    AccountEdit page = Page("alice");
    page.week.Paint(4, 4, 0, 0, true);
    tree_.SetIntegerForTesting(kAlice, "SpentTime", 6);  // the service counting is no change
    c.change(tree_);
    const ApplyResult warned = Apply(page);
    EXPECT_EQ(warned.outcome, ApplyResult::Outcome::kChangedUnderIt) << c.name;
    EXPECT_EQ(warned.message, c.message);
    EXPECT_EQ(Text(kAlice, "Day4"), c.name == std::string("key") ? "(absent)" : "") << c.name;
    EXPECT_EQ(Apply(page, true).outcome, ApplyResult::Outcome::kWritten) << c.name;
    EXPECT_EQ(Text(kAlice, "Day4"), "00:00 00:15") << c.name;
    tree_.DeleteKeyForTesting(kProductKey);
  }
}

TEST_F(WritePlanTest, AFailedWriteIsReportedWithTheAccount) {
  AccountEdit page = Page("alice");
  page.week.Paint(0, 0, 0, 0, true);
  tree_.RefuseWritesForTesting(kAlice);
  const ApplyResult result = Apply(page);
  EXPECT_EQ(result.outcome, ApplyResult::Outcome::kFailed);
  EXPECT_NE(result.message.find("Saving stopped: "), std::string::npos);
  EXPECT_FALSE(ReloadRaised());
  EXPECT_EQ(0, tree_.OpenKeyCountForTesting());
}

}  // namespace

TEST(PcPlanTest, EachChangedFieldIsCheckedAsHwctlChecksIt) {
  const auto isZone = [](const std::string& zone) { return zone == "W. Europe Standard Time"; };
  struct Row {
    std::function<void(PcForm&)> change;
    std::string written;  // "name=value", or "" when refused
    std::optional<PcField> refused;
  };
  const Row rows[] = {
      {[](PcForm& f) { f.timeZone = "W. Europe Standard Time"; }, "TimeZone=W. Europe Standard Time", {}},
      {[](PcForm& f) { f.timeZone = "Mars Standard Time"; }, "", PcField::kTimeZone},
      {[](PcForm& f) { f.timeSource = TimeSource::kNone; }, "TimeUrl=none", {}},
      {[](PcForm& f) { f.timeSource = TimeSource::kAddresses, f.addresses = " https://a.example/ \r\nhttps://b.example/ "; },
       "TimeUrl=https://a.example/ https://b.example/", {}},
      {[](PcForm& f) { f.timeSource = TimeSource::kAddresses, f.addresses = "ftp://a.example/"; }, "", PcField::kTimeSource},
      {[](PcForm& f) { f.timeSource = TimeSource::kAddresses; }, "", PcField::kTimeSource},
      {[](PcForm& f) { f.endSessionLock = true; }, "EndSession=lock", {}},
      {[](PcForm& f) { f.countLocked = false; }, "CountLockedSessions=0", {}},
      {[](PcForm& f) { f.path = "D:\\Logs"; }, "Path=D:\\Logs\\", {}},
      {[](PcForm& f) { f.path = "D:\\Open\\"; }, "", PcField::kPath},  // standard users may write there
      {[](PcForm& f) { f.path = "D:\\Missing\\"; }, "", PcField::kPath},
      {[](PcForm& f) { f.path = "%TEMP%\\"; }, "", PcField::kPath},
      {[](PcForm& f) { f.debug = "5"; }, "", PcField::kDebug},
      {[](PcForm& f) { f.debug = "4"; }, "Debug=4", {}},
      {[](PcForm& f) { f.codeMinutes = "45"; }, "CodeMinutes=45", {}},
      {[](PcForm& f) { f.codeMinutes = "0"; }, "", PcField::kCodeMinutes},
  };
  FakeFolderAccess folders;
  folders.SetKeptFromUsers("D:\\Logs");
  folders.Set("D:\\Open", {FolderAccessList::Kind::kFolder, false, {{true, false, "S-1-5-32-545", 0x1F01FF}}});
  PcReading read;
  read.path = {true, "%OLD%", ""};  // a stored value hwctl would refuse is kept unless its field changes
  for (const Row& row : rows) {
    PcForm form = FormOfPc(read);
    row.change(form);
    const PcPlan plan = PlanPc(read, form, isZone, folders);
    std::string written;
    for (const auto& [name, text] : plan.strings) written += name + "=" + text;
    for (const auto& [name, number] : plan.numbers) written += name + "=" + std::to_string(number);
    EXPECT_EQ(written, row.written) << row.written;
    EXPECT_EQ(plan.refusal ? std::optional(plan.refusal->first) : std::nullopt, row.refused) << row.written;
  }
  EXPECT_TRUE(PlanPc(read, FormOfPc(read), isZone, folders).Empty());
}

TEST_F(WritePlanTest, TheComputersValuesAreWrittenWithTheAccountsUnlessChangedUnderTheWindow) {
  AccountEdit page = Page("alice");
  page.allowances.SetField(6, {"2", "0", false});
  PlannedPc pc{{}, ReadPc(*registry_)};
  PcForm form = FormOfPc(pc.read);
  form.endSessionLock = true;
  pc.plan = PlanPc(pc.read, form, [](const std::string&) { return false; }, FakeFolderAccess());
  tree_.SetIntegerForTesting(kProductKey, "Debug", 3);  // another program
  EXPECT_EQ(ApplyPlans(*registry_, {{PlanApply(page), page.read}}, false, &pc).outcome,
            ApplyResult::Outcome::kChangedUnderIt);
  EXPECT_FALSE(ReloadRaised());
  pc.read = ReadPc(*registry_);
  const ApplyResult result = ApplyPlans(*registry_, {{PlanApply(page), page.read}}, false, &pc);
  EXPECT_EQ(result.outcome, ApplyResult::Outcome::kWritten);
  EXPECT_TRUE(result.pcWritten);
  EXPECT_EQ(Text(kProductKey, "EndSession"), "lock");
  EXPECT_EQ(Text(kAlice, "DayLimit"), "60 60 1440 1440 1440 1440 120");
  EXPECT_TRUE(ReloadRaised());
}

TEST_F(WritePlanTest, TheMinutesOfTheParentsCodeOfAnAccount) {
  struct Row {
    std::string minutes, maximum;
    std::optional<AccountField> refused;
    std::string codeMinutes, codeMax;  // as written ("(absent)" when not)
  };
  const Row rows[] = {
      {"45", "60", {}, "45", "(absent)"},
      {"", "0", {}, "(absent)", "0"},
      {"0", "60", AccountField::kCodeMinutes, "(absent)", "(absent)"},
      {"30", "1441", AccountField::kCodeMaxMinutes, "(absent)", "(absent)"},
  };
  const auto Number = [&](const char* name) {
    registry_->OpenKeyReadOnly(kAlice);
    const StoredNumber number = FindNumber(*registry_, name);
    registry_->CloseKey();
    return number.present ? std::to_string(number.number) : std::string("(absent)");
  };
  for (const Row& row : rows) {
    registry_->OpenKey(kAlice);
    registry_->DeleteValue("CodeMinutes");
    registry_->DeleteValue("CodeMaxMinutes");
    registry_->CloseKey();
    AccountEdit page = Page("alice");
    EXPECT_EQ(page.codeMinutes, "");
    EXPECT_EQ(page.codeMaxMinutes, "60");
    page.codeMinutes = row.minutes;
    page.codeMaxMinutes = row.maximum;
    const ApplyResult result = Apply(page);
    EXPECT_EQ(result.outcome == ApplyResult::Outcome::kRefused ? std::optional(result.refusedField) : std::nullopt,
              row.refused) << row.minutes << " " << row.maximum;
    EXPECT_EQ(Number("CodeMinutes"), row.codeMinutes) << row.minutes;
    EXPECT_EQ(Number("CodeMaxMinutes"), row.codeMax) << row.maximum;
  }
  // An own setting cannot be emptied; an earlier version's count moves to CodeGiven first.
  tree_.SetIntegerForTesting(kAlice, "CodeMinutes", 12);
  tree_.SetIntegerForTesting(kAlice, "CodeLastStep", 1);
  AccountEdit page = Page("alice");
  EXPECT_EQ(page.codeMinutes, "");
  page.codeMinutes = "20";
  EXPECT_EQ(Apply(page).outcome, ApplyResult::Outcome::kWritten);
  EXPECT_EQ(Number("CodeGiven"), "12");
  EXPECT_EQ(Number("CodeMinutes"), "20");
  page = Page("alice");
  page.codeMinutes = "";
  EXPECT_EQ(Apply(page).refusedField, AccountField::kCodeMinutes);
}

TEST(PcPlanTest, TheFieldsShowWhatTheServiceReads) {
  PcReading read;
  read.countLockedSessions = {true, 0, ""};
  read.serviceLogoff = {true, 0, "holds REG_SZ where REG_DWORD was expected"};  // taken as missing: on
  read.endSession = {true, "LOCK", ""};
  read.timeUrl = {true, "  ", ""};  // no address: the built-in pages
  const PcForm form = FormOfPc(read);
  EXPECT_FALSE(form.countLocked);
  EXPECT_TRUE(form.serviceLogoff);
  EXPECT_TRUE(form.endSessionLock);
  EXPECT_EQ(form.timeSource, TimeSource::kDefault);
  EXPECT_EQ(form.debug, "2");
  EXPECT_EQ(form.codeMinutes, "30");
}

TEST(PcPlanTest, TheServicesStateFromItsAnswer) {
  EXPECT_EQ(ServiceStateText("status version=1.2.3 time=unconfirmed code=off minutes=0 grace=0", "", false),
            "The service: running, version 1.2.3; the time is not confirmed yet: every limited account is held back "
            "until it is.");
  EXPECT_NE(ServiceStateText(std::nullopt, "CreateFileW failed with error 2", false).find("not running"),
            std::string::npos);
  EXPECT_NE(ServiceStateText("hello", "", false).find("not answering (\"hello\")"), std::string::npos);
  EXPECT_NE(ServiceStateText(std::nullopt, "served by process 42", true).find("another program"), std::string::npos);
}
