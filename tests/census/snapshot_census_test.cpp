#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "census/process_census.h"
#include "fakes/service_fixture.h"
#include "logging/logs.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using R = ProcessQueryResult;

const char kFailure[] = "SomeCall failed with error 5: Access is denied.";
const char kNoSnapshot[] = "Process snapshot not available, each process is queried: ";

// A service whose census runs on a fake system, one tick at a time.
class CensusRun {
 public:
  explicit CensusRun(bool snapshot) : service(fixture.Build()), source(fixture.processSource) {
    source.snapshotAvailable = snapshot;
    service.DebugLevel = 4;
    service.DebugLines.Clear();  // the lines of ServiceCreate
  }

  // Runs the census of one tick, two seconds after the one before, and writes its log lines.
  void Tick() {
    fixture.clock.AdvanceSeconds(2);
    service.CycleNow = fixture.clock.Now();
    service.DebugLines.Clear();
    service.ProcessEvents.Clear();
    UpdateProcessList(service);
    events = service.ProcessEvents.Items();
    messages = fixture.BufferedMessages();
    FlushLogs(service);
  }

  ServiceFixture fixture;
  THourwarden& service;
  FakeProcessSource& source;
  std::vector<std::string> events;    // the process.log lines of the last tick
  std::vector<std::string> messages;  // the debug messages of the last tick
};

class SnapshotCensusTest : public ::testing::Test {
 protected:
  SnapshotCensusTest() : run(true), source(run.source), service(run.service) {}

  CensusRun run;
  FakeProcessSource& source;
  THourwarden& service;
};

TEST_F(SnapshotCensusTest, ANewProcessIsQueriedOnceAndItsOwnerLookedUpOnce) {
  source.SetProcess(8, "alice", "a.exe", "p");
  source.SetProcess(12, "alice", "b.exe", "p");
  run.Tick();
  source.SetProcess(16, "alice", "c.exe", "p");
  run.Tick();
  run.Tick();
  EXPECT_THAT(source.queried, ElementsAre(8, 12, 16));
  EXPECT_EQ(source.newProcessQueries, 3);
  EXPECT_THAT(source.lookedUp, ElementsAre("sid:alice"));
  EXPECT_THAT(service.CurrentProcesses.Items(), ElementsAre("8 | alice | a.exe | p ", "12 | alice | b.exe | p ",
                                                            "16 | alice | c.exe | p "));
  EXPECT_THAT(service.LoggedOnUsers.Items(), ElementsAre("alice"));
  EXPECT_EQ(source.enumerations, 0);  // the ids came from the snapshots
}

TEST_F(SnapshotCensusTest, AProcessThatEndedIsForgottenWithItsOwner) {
  source.SetProcess(8, "alice", "a.exe", "p");
  source.SetProcess(12, "bob", "b.exe", "p");
  run.Tick();
  source.RemoveProcess(8);
  run.Tick();
  EXPECT_THAT(run.events, ElementsAre("X[08.12.2026 10:00:04] | 8 | alice | a.exe | p "));
  EXPECT_EQ(service.KnownProcesses.size(), 1u);
  EXPECT_EQ(service.KnownOwners.size(), 1u);
  // alice's next process has her account looked up again: a renamed account shows its new name.
  source.SetProcess(20, "alice", "a.exe", "p");
  run.Tick();
  EXPECT_THAT(source.lookedUp, ElementsAre("sid:alice", "sid:bob", "sid:alice"));
}

TEST_F(SnapshotCensusTest, AnIdGivenToAnotherProcessIsQueriedAgain) {
  source.SetProcess(8, "alice", "a.exe", "p");
  run.Tick();
  source.SetProcess(8, "alice", "a.exe", "p");  // the same program again: nothing to log
  run.Tick();
  EXPECT_THAT(run.events, IsEmpty());
  source.SetProcess(8, "bob", "cmd.exe", "q");
  run.Tick();
  EXPECT_THAT(source.queried, ElementsAre(8, 8, 8));
  EXPECT_THAT(run.events, ElementsAre("O[08.12.2026 10:00:06] | 8 | bob | cmd.exe | q ",
                                      "X[08.12.2026 10:00:06] | 8 | alice | a.exe | p "));
}

struct FailedStepCase {
  R result;
  int queries;                        // in three ticks
  std::vector<std::string> messages;  // of every tick, at debug level 4
};

class FailedStepTest : public SnapshotCensusTest, public ::testing::WithParamInterface<FailedStepCase> {};

// A process that cannot be opened stays so for its life and is asked once; a later step can fail
// for a moment (a process caught while it starts has no module list yet) and is asked again. Both
// give their messages on every tick.
TEST_P(FailedStepTest, AFailedProcessGivesItsMessagesOnEveryTick) {
  const FailedStepCase& c = GetParam();
  source.SetFailingProcess(12, c.result, kFailure);
  for (int tick = 1; tick <= 3; ++tick) {
    SCOPED_TRACE(tick);
    run.Tick();
    EXPECT_EQ(run.messages, c.messages);
    EXPECT_THAT(service.CurrentProcesses.Items(), IsEmpty());
  }
  EXPECT_EQ(source.queried.size(), static_cast<size_t>(c.queries));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, FailedStepTest,
    ::testing::Values(
        FailedStepCase{R::kOpenProcessFailed, 1, {"ERROR:Not possible to open process:12", kFailure}},
        FailedStepCase{R::kReadModulesFailed, 3, {"ERROR:Not possible to read process modules:12", kFailure}},
        FailedStepCase{R::kOpenTokenFailed, 3, {"ERROR:Not possible to open token", kFailure}},
        FailedStepCase{R::kTokenSizeFailed, 3, {}},
        FailedStepCase{R::kReadTokenUserFailed, 3,
                       {"ERROR:Not possible to read user account structure from token", kFailure}},
        FailedStepCase{R::kLookupAccountFailed, 3, {"ERROR:Not possible to get account name", kFailure}}));

TEST_F(SnapshotCensusTest, WithoutASnapshotEveryProcessIsQueriedOnEveryTickAndTheDebugLogSaysWhy) {
  source.SetProcess(8, "alice", "a.exe", "p");
  run.Tick();
  source.snapshotAvailable = false;
  run.Tick();
  run.Tick();
  EXPECT_THAT(source.queried, ElementsAre(8, 8, 8));
  EXPECT_EQ(source.newProcessQueries, 1);  // the census from the snapshot asked first
  EXPECT_THAT(run.messages, ElementsAre(std::string(kNoSnapshot) + "NtQuerySystemInformation failed with error 1"));
  EXPECT_THAT(service.CurrentProcesses.Items(), ElementsAre("8 | alice | a.exe | p "));
  EXPECT_THAT(run.events, IsEmpty());
}

class IdTableTest : public ::testing::TestWithParam<bool> {};

// Both censuses consider what a table of 1024 ids holds, the idle process's id 0 among them.
TEST_P(IdTableTest, OnlyTheFirst1024IdsAreConsideredTheIdle0AmongThem) {
  CensusRun run(GetParam());
  run.source.SetIdOnly(0);
  for (uint32_t id = 1; id <= 1100; ++id) run.source.SetProcess(id * 4, "alice", "a.exe", "p");
  run.Tick();
  ASSERT_EQ(run.source.queried.size(), 1023u);
  EXPECT_EQ(run.source.queried.back(), 1023u * 4);
  EXPECT_THAT(run.source.queried, Not(Contains(0u)));
  EXPECT_EQ(run.service.CurrentProcesses.Count(), 1023);
  // A process that moves into the table when one before it ends is queried then.
  run.source.RemoveProcess(4);
  run.Tick();
  EXPECT_EQ(run.service.CurrentProcesses.Count(), 1023);
  EXPECT_EQ(run.source.queried.back(), 1024u * 4);
}

INSTANTIATE_TEST_SUITE_P(Censuses, IdTableTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "FromSnapshot" : "OneByOne");
                         });

// One process of a scripted system table. The same id with the same start is the same process.
struct Row {
  uint32_t id;
  int64_t started;
  R result;
  const char* owner;
  const char* moduleName;
  const char* imagePath;
};

struct Tick {
  std::vector<Row> rows;
  bool listingFails = false;
};

const char kNotepad[] = "\\Device\\HarddiskVolume1\\Windows\\System32\\notepad.exe";
const char kSvchost[] = "\\Device\\HarddiskVolume1\\Windows\\System32\\svchost.exe";

// A system's table over ten ticks: processes that start, end, answer late, refuse, have their id
// given again (with the same program and with another), owners in other letter case, and a tick
// on which the processes cannot be listed.
const std::vector<Tick> kScript = {
    {{{0, 0, R::kComplete, "", "", ""},
      {4, 1, R::kComplete, "SYSTEM", "svchost.exe", kSvchost},
      {8, 2, R::kComplete, "alice", "notepad.exe", kNotepad},
      {12, 3, R::kOpenProcessFailed, "", "", ""},
      {16, 4, R::kReadModulesFailed, "", "", ""},
      {20, 5, R::kComplete, "ALICE", "cmd.exe", "p"},
      {24, 6, R::kLookupAccountFailed, "", "x.exe", "p"},
      {28, 7, R::kTokenSizeFailed, "", "", ""}}},
    {{{0, 0, R::kComplete, "", "", ""},
      {4, 1, R::kComplete, "SYSTEM", "svchost.exe", kSvchost},
      {12, 3, R::kOpenProcessFailed, "", "", ""},
      {16, 4, R::kComplete, "bob", "game.exe", "\\Device\\HarddiskVolume2\\Games\\game.exe"},
      {20, 5, R::kComplete, "ALICE", "cmd.exe", "p"},
      {24, 6, R::kLookupAccountFailed, "", "x.exe", "p"},
      {36, 8, R::kComplete, "carol", "a.exe", "p"}}},
    {{{4, 1, R::kComplete, "SYSTEM", "svchost.exe", kSvchost},
      {8, 9, R::kComplete, "dave", "notepad.exe", kNotepad},
      {16, 4, R::kComplete, "bob", "game.exe", "\\Device\\HarddiskVolume2\\Games\\game.exe"},
      {20, 10, R::kComplete, "alice", "CMD.EXE", "P"},
      {36, 11, R::kComplete, "carol", "a.exe", "p"},
      {40, 12, R::kReadTokenUserFailed, "", "", ""},
      {44, 13, R::kOpenTokenFailed, "", "", ""}}},
    {{}, true},
    {{{4, 1, R::kComplete, "SYSTEM", "svchost.exe", kSvchost},
      {36, 11, R::kComplete, "carol", "a.exe", "p"},
      {44, 13, R::kComplete, "Carol", "b.exe", "q"},
      {48, 14, R::kComplete, "erin", "c.exe", "r"}}},
    {{{4, 1, R::kComplete, "SYSTEM", "svchost.exe", kSvchost},
      {36, 11, R::kComplete, "carol", "a.exe", "p"},
      {48, 15, R::kComplete, "erin", "d.exe", "r"},
      {12, 16, R::kOpenProcessFailed, "", "", ""},
      {8, 17, R::kComplete, "alice", "notepad.exe", kNotepad}}},
    {{}},
    {{{8, 17, R::kComplete, "alice", "notepad.exe", kNotepad}, {4, 18, R::kComplete, "SYSTEM", "svchost.exe", kSvchost}}},
};

void Load(FakeProcessSource& source, const Tick& tick) {
  source.RemoveAll();
  source.failEnumeration = tick.listingFails;
  for (const Row& row : tick.rows)
    source.SetProcessAt(row.id, row.started, row.result, row.owner, row.moduleName, row.imagePath, kFailure);
}

std::vector<std::string> WithoutNotice(std::vector<std::string> messages) {
  if (!messages.empty() && messages.front().rfind(kNoSnapshot, 0) == 0) messages.erase(messages.begin());
  return messages;
}

// The census from snapshots writes what the census of one process after the other writes, tick
// by tick and line by line: the lists, the process log and every debug message.
TEST(CensusEquivalenceTest, TheSnapshotCensusGivesEveryLineOfTheOneByOneCensus) {
  for (const int level : {2, 4}) {
    SCOPED_TRACE(level);
    CensusRun fromSnapshot(true);
    CensusRun oneByOne(false);
    fromSnapshot.service.DebugLevel = oneByOne.service.DebugLevel = level;
    for (size_t i = 0; i < kScript.size(); ++i) {
      SCOPED_TRACE(i + 1);
      Load(fromSnapshot.source, kScript[i]);
      Load(oneByOne.source, kScript[i]);
      fromSnapshot.Tick();
      oneByOne.Tick();
      EXPECT_EQ(fromSnapshot.service.CurrentProcesses, oneByOne.service.CurrentProcesses);
      EXPECT_EQ(fromSnapshot.service.LoggedOnUsers, oneByOne.service.LoggedOnUsers);
      EXPECT_EQ(fromSnapshot.service.PreviousProcesses, oneByOne.service.PreviousProcesses);
      EXPECT_EQ(fromSnapshot.events, oneByOne.events);
      // A census without a snapshot says so first; the messages after that line are the same.
      if (level == 4) {
        EXPECT_THAT(oneByOne.messages, Contains(::testing::StartsWith(kNoSnapshot)));
      }
      EXPECT_EQ(WithoutNotice(fromSnapshot.messages), WithoutNotice(oneByOne.messages));
    }
    EXPECT_EQ(fromSnapshot.fixture.ProcessLog(), oneByOne.fixture.ProcessLog());
    EXPECT_LT(fromSnapshot.source.queried.size(), oneByOne.source.queried.size());
  }
}

}  // namespace
