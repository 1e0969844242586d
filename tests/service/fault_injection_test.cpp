// The whole service on the in-memory registry and the fakes, with one fault at a time: a value of
// every wrong type, a key that does not open, a registry that refuses every write, a log folder
// that refuses writes, an account call that fails. Whatever the fault, the minute cycles go on:
// no exception leaves a tick, the users the fault does not touch are counted and evaluated, no
// count is lost or lands on another user, and a stop gives every account its hours back.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "fakes/scripted_log_files.h"
#include "fakes/service_fixture.h"
#include "settings/registry_values.h"
#include "settings/stored_formats.h"
#include "settings/settings_loader.h"

namespace {

using ::testing::Contains;

// The value in its right type, as the sample configuration holds it.
struct StoredValue {
  std::string key, name;
  RegistryValue value;
};

// ann and bea are logged on, cid is not. ann has 10 of 60 minutes used today, cid 5 of 30; bea is
// restricted all day. The faults hit bea's key or the product key.
class FaultFixture {
 public:
  FaultFixture() {
    previousDirectory_ = std::filesystem::current_path();
    std::filesystem::current_path(fixture.dir.Path());  // a missing Path writes here
    const std::string today = FormatStoredDate(fixture.clock.Now());
    for (const StoredValue& stored : Configuration(fixture.dir.Prefix(), today))
      fixture.registry.SetValueForTesting(stored.key, stored.name, stored.value);
    fixture.timePageFetcher.Serve("", "Tue, 08 Dec 2026 09:00:00 GMT");  // the clock is right
    fixture.processSource.SetProcess(100, "ann", "game.exe", "\\Device\\HarddiskVolume1\\game.exe");
    fixture.processSource.SetProcess(200, "bea", "chat.exe", "\\Device\\HarddiskVolume1\\chat.exe");
  }
  ~FaultFixture() { std::filesystem::current_path(previousDirectory_); }

  static std::vector<StoredValue> Configuration(const std::string& logFolder, const std::string& today) {
    std::vector<StoredValue> values = {
        {kProductKey, "Debug", IntegerValue(3)},
        {kProductKey, "Path", StringValue(logFolder)},
        {kProductKey, "ReadSettings", IntegerValue(0)},
        {kProductKey, "TimeUrl", StringValue("http://127.0.0.1/cgi-bin/timer.pl")},
    };
    const auto user = [&](const std::string& name, const std::string& filter, const std::string& limit, int spent) {
      for (int day = 0; day < kDaysInWeek; ++day) values.push_back({UserKeyPath(name), DayValueName(day), StringValue(filter)});
      values.push_back({UserKeyPath(name), "DayLimit", StringValue(limit)});
      values.push_back({UserKeyPath(name), "SpentTime", IntegerValue(spent)});
      values.push_back({UserKeyPath(name), "TimeStamp", StringValue(today)});
      values.push_back({UserKeyPath(name), "Logoff", IntegerValue(0)});
    };
    user("ann", "", "60", 10);
    user("bea", "00:00 24:00", "60", 0);
    user("cid", "", "30", 5);
    return values;
  }

  // Starts the service, runs three minute cycles and stops it; the message of an exception that
  // left a handler or a tick, if any.
  std::optional<std::string> RunThreeMinutesAndStop() {
    try {
      THourwarden& service = fixture.Build();
      bool started = true;
      service.ServiceStart(started);
      for (int tick = 0; tick < 90; ++tick) {
        fixture.clock.AdvanceSeconds(2);
        service.Timer1Timer();
      }
      accountsBeforeStop = fixture.accounts.Changes();
      bool stopped = true;
      service.ServiceStop(stopped);
    } catch (const std::exception& error) {
      return std::string(error.what());
    }
    return std::nullopt;
  }

  // The minutes the service holds for the user now, or "none".
  std::string Minutes(const std::string& name) const {
    const int index = fixture.service->RestrictedUsers.IndexOf(name);
    const StringList* record = index < 0 ? nullptr : TableEntry(fixture.service->SpentTimes, index);
    return record && record->Count() == 2 ? (*record)[0] : "none";
  }
  int Passes(const std::string& name) const {
    int passes = 0;
    for (const std::string& change : accountsBeforeStop) passes += change.ends_with(" " + name);
    return passes;
  }
  std::string LastChange(const std::string& name) const {
    std::string last;
    for (const std::string& change : fixture.accounts.Changes())
      if (change.ends_with(" " + name)) last = change;
    return last;
  }

  // In the place of the fixture's log files when set; it outlives the service, which flushes last.
  std::unique_ptr<LogFileSystem> substituteLogs;
  ServiceFixture fixture;
  std::vector<std::string> accountsBeforeStop;

 private:
  std::filesystem::path previousDirectory_;
};

struct Fault {
  std::string name;
  std::function<void(FaultFixture&)> apply;
};

// Every wrong kind of value in the place of one that must be a number or a text.
std::vector<Fault> WrongValues(const std::string& key, const std::string& name, bool number) {
  const std::string where = (key == kProductKey ? std::string("product ") : "bea's ") + name + " ";
  const auto set = [key, name](RegistryValue value) {
    return [key, name, value](FaultFixture& f) { f.fixture.registry.SetValueForTesting(key, name, value); };
  };
  return {
      {where + (number ? "as text" : "as a number"), set(number ? StringValue("1") : IntegerValue(1))},
      {where + "as binary", set({kRegBinary, std::string("\x01\x02\x03", 3)})},
      {where + "as a multi-string", set({kRegMultiSz, std::string("1\0 2\0\0", 6)})},
      {where + "as a DWORD of eight bytes", set({kRegDword, std::string(8, '\x01')})},
      {where + "empty", set(number ? RegistryValue{kRegDword, ""} : StringValue(""))},
      {where + "of 4,000 characters", set(StringValue(std::string(4000, '7')))},
      {where + "missing",
       [key, name](FaultFixture& f) {
         // Only keys can be removed from the tree: build it again without the value.
         const std::string today = FormatStoredDate(f.fixture.clock.Now());
         f.fixture.registry.DeleteKeyForTesting(kProductKey);
         for (const StoredValue& stored : FaultFixture::Configuration(f.fixture.dir.Prefix(), today))
           if (!(SameText(stored.key, key) && SameText(stored.name, name)))
             f.fixture.registry.SetValueForTesting(stored.key, stored.name, stored.value);
       }},
  };
}

std::vector<Fault> AllFaults() {
  std::vector<Fault> faults;
  const auto add = [&](std::vector<Fault> more) { faults.insert(faults.end(), more.begin(), more.end()); };
  add(WrongValues(kProductKey, "Debug", true));
  add(WrongValues(kProductKey, "Path", false));
  add(WrongValues(kProductKey, "ReadSettings", true));
  add(WrongValues(kProductKey, "TimeUrl", false));
  const std::string bea = UserKeyPath("bea");
  for (const char* name : {"Day0", "Day3", "DayLimit", "TimeStamp"}) add(WrongValues(bea, name, false));
  for (const char* name : {"SpentTime", "Logoff"}) add(WrongValues(bea, name, true));
  faults.push_back({"bea's key does not open", [bea](FaultFixture& f) { f.fixture.registry.SetKeyRightsForTesting(bea, 0); }});
  faults.push_back({"the product key does not open",
                    [](FaultFixture& f) { f.fixture.registry.SetKeyRightsForTesting(kProductKey, 0); }});
  faults.push_back({"the registry refuses every write", [](FaultFixture& f) {
                      f.fixture.registry.RefuseWritesForTesting(kProductKey);
                      for (const char* name : {"ann", "bea", "cid"}) f.fixture.registry.RefuseWritesForTesting(UserKeyPath(name));
                    }});
  faults.push_back({"the log folder refuses writes", [](FaultFixture& f) {
                      auto refusing = std::make_unique<ScriptedLogFiles>(*f.fixture.logFiles);
                      refusing->refuseAppends = true;
                      f.fixture.platform.logFileSystem = refusing.get();
                      f.substituteLogs = std::move(refusing);
                    }});
  faults.push_back({"bea's account call fails", [](FaultFixture& f) {
                      f.fixture.accounts.failures["bea"] = "NetUserSetInfo failed with error 2221";
                    }});
  return faults;
}

TEST(FaultInjectionTest, NoFaultStopsTheCountingTheEvaluationOrTheStop) {
  const std::vector<Fault> faults = AllFaults();
  ASSERT_GT(faults.size(), 60u);
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.name);
    FaultFixture f;
    fault.apply(f);
    EXPECT_EQ(f.RunThreeMinutesAndStop(), std::nullopt);
    EXPECT_THAT(f.fixture.reportedExceptions, testing::IsEmpty());
    // ann is counted every minute and cid is not counted at all, each with their own count.
    EXPECT_EQ(f.Minutes("ann"), "13");
    EXPECT_EQ(f.Minutes("cid"), "5");
    // Every pass sets every account: the start's and three minute cycles'.
    EXPECT_GE(f.Passes("ann"), 4);
    EXPECT_GE(f.Passes("cid"), 4);
    for (const char* name : {"ann", "bea", "cid"}) EXPECT_EQ(f.LastChange(name), std::string("unblocked ") + name);
  }
}

// The counts reach the registry, each under its own user, whenever it takes writes.
TEST(FaultInjectionTest, TheCountsOfTheOthersAreStoredUnderTheirOwnNames) {
  for (const Fault& fault : AllFaults()) {
    if (fault.name == "the registry refuses every write") continue;
    SCOPED_TRACE(fault.name);
    FaultFixture f;
    fault.apply(f);
    f.RunThreeMinutesAndStop();
    EXPECT_EQ(f.fixture.registry.ValueForTesting(UserKeyPath("ann"), "SpentTime"), IntegerValue(13));
    EXPECT_EQ(f.fixture.registry.ValueForTesting(UserKeyPath("cid"), "SpentTime"), IntegerValue(5));
  }
}

}  // namespace
