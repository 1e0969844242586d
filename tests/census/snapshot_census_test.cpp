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

TEST_F(SnapshotCensusTest, WithoutASnapshotEveryProcessIsQueriedOnEveryTickAndTheDebugLogSaysWhy) {
  source.SetProcess(8, "alice", "a.exe", "p");
  run.Tick();
  source.snapshotAvailable = false;
  run.Tick();
  run.Tick();
  EXPECT_THAT(source.queried, ElementsAre(8, 8, 8));  // the census from the snapshot asked first
  EXPECT_THAT(run.messages, ElementsAre(std::string(kNoSnapshot) + "NtQuerySystemInformation failed with error 1"));
  EXPECT_THAT(service.CurrentProcesses.Items(), ElementsAre("8 | alice | a.exe | p "));
  EXPECT_THAT(run.events, IsEmpty());
}

struct UnreadableCase {
  R result;
  uint32_t session;  // 1: kid's; 0: without a user; 3: its user cannot be read
  const char* line;  // of process 16; empty when it belongs to nobody
  const char* message;
};

class UnreadableOwnerTest : public SnapshotCensusTest, public ::testing::WithParamInterface<UnreadableCase> {};

// A process whose owner cannot be read is counted for the user of its session, with the
// executable's name from the snapshot and the path as far as it was read (so a user all of whose
// processes refuse is logged on through them); in a session without a readable user it belongs to
// nobody. The process is queried once, the session's user once while the process runs, and both
// messages come again on every tick.
TEST_P(UnreadableOwnerTest, IsCountedForTheUserOfItsSession) {
  const UnreadableCase& c = GetParam();
  run.fixture.sessions.Add(0, "");
  run.fixture.sessions.Add(1, "kid");
  source.SetFailingProcess(16, c.result, kFailure, "game.exe", "\\Device\\game.exe");
  source.SetSession(16, c.session);
  run.Tick();
  run.Tick();
  const bool nobody = *c.line == '\0';
  EXPECT_EQ(service.CurrentProcesses.Items(), nobody ? std::vector<std::string>{} : std::vector<std::string>{c.line});
  EXPECT_EQ(service.LoggedOnUsers.Items(), nobody ? std::vector<std::string>{} : std::vector<std::string>{"kid"});
  EXPECT_THAT(run.messages, Contains(std::string("Process 16 of session ") + std::to_string(c.session) + c.message));
  EXPECT_THAT(run.messages, Contains(kFailure));
  EXPECT_EQ(source.queried.size(), 1u);
  EXPECT_EQ(run.fixture.sessions.userLookups.size(), nobody ? 2u : 1u);
}

const char kCounted[] = " counted for kid, the session's user: its owner cannot be read";
const char kPath[] = "16 | kid | game.exe | \\Device\\game.exe ";

INSTANTIATE_TEST_SUITE_P(
    Steps, UnreadableOwnerTest,
    ::testing::Values(UnreadableCase{R::kOpenProcessFailed, 1, "16 | kid | game.exe |  ", kCounted},
                      UnreadableCase{R::kOpenTokenFailed, 1, kPath, kCounted},
                      UnreadableCase{R::kReadTokenUserFailed, 1, kPath, kCounted},
                      UnreadableCase{R::kLookupAccountFailed, 1, kPath, kCounted},
                      UnreadableCase{R::kOpenTokenFailed, 0, "",
                                     " belongs to nobody: its owner cannot be read and the session has no user"},
                      UnreadableCase{R::kOpenTokenFailed, 3, "",
                                     " belongs to nobody: its owner cannot be read and neither can the session's "
                                     "user (WTSQuerySessionInformationW failed with error 7022)"}));

// A session's user is asked again when the process that vouched for it has ended, since the
// session's id may have gone to another; a session without a user (a logon screen) is asked on
// every census, so that the user who logs on there is found.
TEST_F(SnapshotCensusTest, ASessionsUserIsAskedAgainWhenItsProcessEndsOrItHadNone) {
  run.fixture.sessions.Add(1, "");
  source.SetFailingProcess(8, R::kOpenTokenFailed, kFailure, "a.exe", "p");
  run.Tick();
  EXPECT_THAT(service.LoggedOnUsers.Items(), IsEmpty());
  run.fixture.sessions.sessions[0].userName = "kid";
  run.Tick();
  EXPECT_THAT(run.events, ElementsAre("O[08.12.2026 10:00:04] | 8 | kid | a.exe | p "));
  source.SetFailingProcess(12, R::kOpenTokenFailed, kFailure, "b.exe", "q");
  run.Tick();
  EXPECT_THAT(service.CurrentProcesses.Items(), ElementsAre("8 | kid | a.exe | p ", "12 | kid | b.exe | q "));
  // kid logs off, and bob's new session is given the same id.
  source.RemoveAll();
  run.fixture.sessions.sessions[0].userName = "bob";
  source.SetFailingProcess(16, R::kOpenTokenFailed, kFailure, "c.exe", "r");
  run.Tick();
  EXPECT_THAT(service.CurrentProcesses.Items(), ElementsAre("16 | bob | c.exe | r "));
  EXPECT_THAT(run.fixture.sessions.userLookups, ElementsAre(1u, 1u, 1u));
}

class CensusKindTest : public ::testing::TestWithParam<bool> {};

// Both censuses consider every process the system lists, however many; only the idle process's
// id 0 is skipped.
TEST_P(CensusKindTest, EveryProcessIsConsideredHoweverMany) {
  CensusRun run(GetParam());
  run.source.SetIdOnly(0);
  for (uint32_t id = 1; id <= 1500; ++id) run.source.SetProcess(id * 4, "alice", "a.exe", "p");
  run.Tick();
  EXPECT_EQ(run.source.queried.size(), 1500u);
  EXPECT_THAT(run.source.queried, Not(Contains(0u)));
  EXPECT_EQ(run.service.CurrentProcesses.Count(), 1500);
  EXPECT_EQ(run.service.CurrentProcesses[1499], "6000 | alice | a.exe | p ");
}

INSTANTIATE_TEST_SUITE_P(Censuses, CensusKindTest, ::testing::Values(true, false),
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

// A system's table over ten ticks: processes that start, end, refuse to show their owner (counted
// for the user of their session), have their id given again (with the same program and with
// another), owners in other letter case, and a tick on which the processes cannot be listed.
const std::vector<Tick> kScript = {
    {{{0, 0, R::kComplete, "", "", ""},
      {4, 1, R::kComplete, "SYSTEM", "svchost.exe", kSvchost},
      {8, 2, R::kComplete, "alice", "notepad.exe", kNotepad},
      {12, 3, R::kOpenProcessFailed, "", "", ""},
      {16, 4, R::kOpenTokenFailed, "", "", ""},
      {20, 5, R::kComplete, "ALICE", "cmd.exe", "p"},
      {24, 6, R::kLookupAccountFailed, "", "x.exe", "p"},
      {28, 7, R::kReadTokenUserFailed, "", "", ""}}},
    {{{0, 0, R::kComplete, "", "", ""},
      {4, 1, R::kComplete, "SYSTEM", "svchost.exe", kSvchost},
      {12, 3, R::kOpenProcessFailed, "", "", ""},
      {16, 19, R::kComplete, "bob", "game.exe", "\\Device\\HarddiskVolume2\\Games\\game.exe"},
      {20, 5, R::kComplete, "ALICE", "cmd.exe", "p"},
      {24, 6, R::kLookupAccountFailed, "", "x.exe", "p"},
      {36, 8, R::kComplete, "carol", "a.exe", "p"}}},
    {{{4, 1, R::kComplete, "SYSTEM", "svchost.exe", kSvchost},
      {8, 9, R::kComplete, "dave", "notepad.exe", kNotepad},
      {16, 19, R::kComplete, "bob", "game.exe", "\\Device\\HarddiskVolume2\\Games\\game.exe"},
      {20, 10, R::kComplete, "alice", "CMD.EXE", "P"},
      {36, 11, R::kComplete, "carol", "a.exe", "p"},
      {40, 12, R::kReadTokenUserFailed, "", "", ""},
      {44, 13, R::kOpenTokenFailed, "", "", ""}}},
    {{}, true},
    {{{4, 1, R::kComplete, "SYSTEM", "svchost.exe", kSvchost},
      {36, 11, R::kComplete, "carol", "a.exe", "p"},
      {44, 20, R::kComplete, "Carol", "b.exe", "q"},
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
// by tick and line by line: the lists, the process log and every debug message. (A process that
// cannot be opened at all differs when the snapshot names its executable, which the other census
// cannot learn.)
TEST(CensusEquivalenceTest, TheSnapshotCensusGivesEveryLineOfTheOneByOneCensus) {
  for (const int level : {2, 4}) {
    SCOPED_TRACE(level);
    CensusRun fromSnapshot(true);
    CensusRun oneByOne(false);
    fromSnapshot.service.DebugLevel = oneByOne.service.DebugLevel = level;
    for (CensusRun* run : {&fromSnapshot, &oneByOne}) run->fixture.sessions.Add(1, "kid");
    for (size_t i = 0; i < kScript.size(); ++i) {
      SCOPED_TRACE(i + 1);
      Load(fromSnapshot.source, kScript[i]);
      Load(oneByOne.source, kScript[i]);
      fromSnapshot.Tick();
      oneByOne.Tick();
      EXPECT_EQ(fromSnapshot.service.CurrentProcesses, oneByOne.service.CurrentProcesses);
      EXPECT_EQ(fromSnapshot.service.LoggedOnUsers, oneByOne.service.LoggedOnUsers);
      EXPECT_EQ(fromSnapshot.service.LoggedOnSessions, oneByOne.service.LoggedOnSessions);
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
