#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "census/process_census.h"
#include "fakes/service_fixture.h"
#include "base/date_time.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char kNotepadPath[] = "\\Device\\HarddiskVolume1\\Windows\\System32\\notepad.exe";
const char kNotepadLine[] = "1234 | alice | notepad.exe | \\Device\\HarddiskVolume1\\Windows\\System32\\notepad.exe ";
const char kSvchostLine[] = "8 | SYSTEM | svchost.exe | \\Device\\HarddiskVolume1\\Windows\\System32\\svchost.exe ";
const char kCmdLine[] = "40 | bob | cmd.exe | \\Device\\HarddiskVolume1\\Windows\\System32\\cmd.exe ";

class ProcessCensusTest : public ::testing::Test {
 protected:
  ProcessCensusTest() : service(fixture.Build()), source(fixture.processSource) {
    service.CycleNow = EncodeDateTime({2026, 12, 8, 3, 34, 30, 0});
    service.DebugLines.Clear();  // the lines of ServiceCreate
  }

  void AddNotepad() { source.SetProcess(1234, "alice", "notepad.exe", kNotepadPath); }
  void AddSvchost() {
    source.SetProcess(8, "SYSTEM", "svchost.exe", "\\Device\\HarddiskVolume1\\Windows\\System32\\svchost.exe");
  }
  void AddCmd() { source.SetProcess(40, "bob", "cmd.exe", "\\Device\\HarddiskVolume1\\Windows\\System32\\cmd.exe"); }

  // Runs one census and returns the event lines it produced.
  std::vector<std::string> Census() {
    service.ProcessEvents.Clear();
    UpdateProcessList(service);
    return service.ProcessEvents.Items();
  }
  std::vector<std::string> Messages() const { return fixture.BufferedMessages(); }

  ServiceFixture fixture;
  THourwarden& service;
  FakeProcessSource& source;
};

TEST_F(ProcessCensusTest, TheFirstCensusLogsEveryProcessAsStartedInEnumerationOrder) {
  AddNotepad();
  AddSvchost();
  AddCmd();
  EXPECT_THAT(Census(), ElementsAre(std::string("O[08.12.2026 03:34:30] | ") + kNotepadLine,
                                    std::string("O[08.12.2026 03:34:30] | ") + kSvchostLine,
                                    std::string("O[08.12.2026 03:34:30] | ") + kCmdLine));
  EXPECT_THAT(service.CurrentProcesses.Items(), ElementsAre(kNotepadLine, kSvchostLine, kCmdLine));
  EXPECT_EQ(service.PreviousProcesses, service.CurrentProcesses);
  EXPECT_THAT(service.LoggedOnUsers.Items(), ElementsAre("alice", "SYSTEM", "bob"));
}

TEST_F(ProcessCensusTest, TwoCensusesOfTheSameProcessesLogNothing) {
  AddNotepad();
  AddSvchost();
  Census();
  service.CycleNow += 2.0 / 86400;
  EXPECT_THAT(Census(), IsEmpty());
  EXPECT_THAT(service.CurrentProcesses.Items(), ElementsAre(kNotepadLine, kSvchostLine));
}

struct ChangeCase {
  const char* name;
  const char* owner;
  const char* moduleName;
  const char* imagePath;
  bool logged;  // whether the change gives an exit and a start line
};

class ProcessChangeTest : public ProcessCensusTest, public ::testing::WithParamInterface<ChangeCase> {};

// The whole line names a process: the same id seen with another owner, module or path is
// another process, while a difference in letter case alone is the same one.
TEST_P(ProcessChangeTest, TheSameIdWithOtherDetailsIsAnExitAndAStart) {
  const ChangeCase& c = GetParam();
  AddSvchost();
  AddNotepad();
  Census();
  source.SetProcess(1234, c.owner, c.moduleName, c.imagePath);
  const std::string newLine = ComposeProcessLine(1234, c.owner, c.moduleName, c.imagePath);
  if (c.logged) {
    EXPECT_THAT(Census(), ElementsAre("O[08.12.2026 03:34:30] | " + newLine,
                                      std::string("X[08.12.2026 03:34:30] | ") + kNotepadLine));
  } else {
    EXPECT_THAT(Census(), IsEmpty());
  }
  EXPECT_THAT(service.CurrentProcesses.Items(), ElementsAre(kSvchostLine, newLine));
  EXPECT_EQ(service.PreviousProcesses, service.CurrentProcesses);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ProcessChangeTest,
    ::testing::Values(ChangeCase{"Owner", "bob", "notepad.exe", kNotepadPath, true},
                      ChangeCase{"Module", "alice", "write.exe", kNotepadPath, true},
                      ChangeCase{"Path", "alice", "notepad.exe", "\\Device\\HarddiskVolume2\\notepad.exe", true},
                      ChangeCase{"LetterCaseOnly", "ALICE", "NotePad.EXE", kNotepadPath, false}),
    [](const ::testing::TestParamInfo<ChangeCase>& info) { return std::string(info.param.name); });

TEST_F(ProcessCensusTest, StartsComeFirstInEnumerationOrderThenExitsInTheOrderOfTheCensusBefore) {
  AddNotepad();
  AddSvchost();
  AddCmd();
  source.SetProcess(60, "carol", "a.exe", "p");
  Census();
  source.RemoveProcess(60);
  source.RemoveProcess(1234);
  source.SetProcess(100, "dave", "b.exe", "q");
  source.SetProcess(12, "erin", "c.exe", "r");
  EXPECT_THAT(Census(), ElementsAre("O[08.12.2026 03:34:30] | 100 | dave | b.exe | q ",
                                    "O[08.12.2026 03:34:30] | 12 | erin | c.exe | r ",
                                    std::string("X[08.12.2026 03:34:30] | ") + kNotepadLine,
                                    "X[08.12.2026 03:34:30] | 60 | carol | a.exe | p "));
}

TEST_F(ProcessCensusTest, OwnersAreDistinctWithoutRegardToCaseAndKeepTheFirstSpelling) {
  source.SetProcess(4, "alice", "a.exe", "p");
  source.SetProcess(8, "ALICE", "b.exe", "p");
  source.SetProcess(12, "bob", "c.exe", "p");
  source.SetProcess(16, "Alice", "d.exe", "p");
  source.SetProcess(20, "Bob", "e.exe", "p");
  Census();
  EXPECT_THAT(service.LoggedOnUsers.Items(), ElementsAre("alice", "bob"));
  EXPECT_EQ(service.CurrentProcesses.Count(), 5);
}

// Here no session's user can be read either, so the failed processes belong to nobody.
TEST_F(ProcessCensusTest, AnOwnerWhoseEveryProcessFailsTheQueryIsNotLoggedOn) {
  source.SetFailingProcess(4, ProcessQueryResult::kOpenProcessFailed);
  source.SetProcess(8, "alice", "a.exe", "p");
  source.SetFailingProcess(12, ProcessQueryResult::kLookupAccountFailed);
  source.SetFailingProcess(16, ProcessQueryResult::kOpenTokenFailed);
  Census();
  EXPECT_THAT(service.LoggedOnUsers.Items(), ElementsAre("alice"));
  EXPECT_THAT(service.CurrentProcesses.Items(), ElementsAre("8 | alice | a.exe | p "));
}

TEST_F(ProcessCensusTest, AProcessThatStopsAnsweringIsLoggedAsEndedAndLaterAsStartedAgain) {
  AddNotepad();
  Census();
  source.SetFailingProcess(1234, ProcessQueryResult::kOpenTokenFailed);
  EXPECT_THAT(Census(), ElementsAre(std::string("X[08.12.2026 03:34:30] | ") + kNotepadLine));
  EXPECT_THAT(service.LoggedOnUsers.Items(), IsEmpty());
  AddNotepad();
  EXPECT_THAT(Census(), ElementsAre(std::string("O[08.12.2026 03:34:30] | ") + kNotepadLine));
}

TEST_F(ProcessCensusTest, AFailedListingLeavesTheListsEmptyAndTheNextCensusComparesWithTheLastGoodOne) {
  AddNotepad();
  AddSvchost();
  Census();
  source.failEnumeration = true;
  EXPECT_THAT(Census(), IsEmpty());
  EXPECT_THAT(service.CurrentProcesses.Items(), IsEmpty());
  EXPECT_THAT(service.LoggedOnUsers.Items(), IsEmpty());
  EXPECT_THAT(service.PreviousProcesses.Items(), ElementsAre(kNotepadLine, kSvchostLine));
  EXPECT_THAT(source.queried, ElementsAre(1234, 8));  // only the first census queried

  source.failEnumeration = false;
  source.RemoveProcess(8);
  AddCmd();
  EXPECT_THAT(Census(), ElementsAre(std::string("O[08.12.2026 03:34:30] | ") + kCmdLine,
                                    std::string("X[08.12.2026 03:34:30] | ") + kSvchostLine));
  EXPECT_THAT(service.LoggedOnUsers.Items(), ElementsAre("alice", "bob"));
}

struct EventTimeCase {
  DateTimeParts at;
  const char* shown;
};

class EventTimeTest : public ProcessCensusTest, public ::testing::WithParamInterface<EventTimeCase> {};

TEST_P(EventTimeTest, TheEventTimeIsTheCycleTimeWithTheDateAloneAtMidnight) {
  service.CycleNow = EncodeDateTime(GetParam().at);
  fixture.clock.SetNow({2030, 1, 1, 12, 0, 0, 0});  // the clock has moved on since the tick began
  AddNotepad();
  EXPECT_THAT(Census(), ElementsAre(std::string("O[") + GetParam().shown + "] | " + kNotepadLine));
}

INSTANTIATE_TEST_SUITE_P(Times, EventTimeTest,
                         ::testing::Values(EventTimeCase{{2026, 12, 8, 0, 0, 0, 0}, "08.12.2026"},
                                           EventTimeCase{{2026, 12, 8, 0, 0, 1, 0}, "08.12.2026 00:00:01"},
                                           EventTimeCase{{2027, 1, 31, 23, 59, 59, 0}, "31.01.2027 23:59:59"}));

struct StepCase {
  ProcessQueryResult result;
  int threshold;        // lowest debug level that writes the message; 0 for none
  const char* message;  // exact text
};

class QueryStepTest : public ProcessCensusTest, public ::testing::WithParamInterface<StepCase> {};

// The process runs in the services' session, which has no user: after the step's message it
// belongs to nobody, which is said from level 3.
TEST_P(QueryStepTest, EachFailedStepWritesItsMessageFromItsLevelWithTheFailedCall) {
  const StepCase& c = GetParam();
  fixture.sessions.Add(0, "");
  source.SetFailingProcess(1234, c.result, "SomeCall failed with error 5: Access is denied.");
  source.SetSession(1234, 0);
  const std::string nobody = "Process 1234 of session 0 belongs to nobody: its owner cannot be read and the session has no user";
  for (int level = 0; level <= 4; ++level) {
    SCOPED_TRACE(level);
    service.DebugLines.Clear();
    service.DebugLevel = level;
    Census();
    EXPECT_THAT(service.CurrentProcesses.Items(), IsEmpty());
    std::vector<std::string> expected;
    if (c.threshold != 0 && level >= c.threshold) expected = {c.message, "SomeCall failed with error 5: Access is denied."};
    if (level >= 3) expected.push_back(nobody);
    EXPECT_EQ(Messages(), expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, QueryStepTest,
    ::testing::Values(StepCase{ProcessQueryResult::kOpenProcessFailed, 4, "ERROR:Not possible to open process:1234"},
                      StepCase{ProcessQueryResult::kOpenTokenFailed, 3, "ERROR:Not possible to open token"},
                      StepCase{ProcessQueryResult::kReadTokenUserFailed, 3,
                               "ERROR:Not possible to read user account structure from token"},
                      StepCase{ProcessQueryResult::kLookupAccountFailed, 2, "ERROR:Not possible to get account name"}));

TEST_F(ProcessCensusTest, TheIdleProcessIdIsSkippedWithoutAQuery) {
  service.DebugLevel = 4;
  source.SetIdOnly(0);
  AddNotepad();
  Census();
  EXPECT_THAT(source.queried, ElementsAre(1234));
  EXPECT_THAT(Messages(), IsEmpty());
}

TEST_F(ProcessCensusTest, LongTextsAreCutToTheirWidths) {
  const std::string owner(150, 'o');
  const std::string moduleName(120, 'm');
  const std::string imagePath(1500, 'p');
  source.SetProcess(77, owner, moduleName, imagePath);
  Census();
  ASSERT_EQ(service.CurrentProcesses.Count(), 1);
  const std::string expected = "77 | " + owner.substr(0, 99) + " | " + moduleName.substr(0, 99) + " | " + imagePath;
  EXPECT_EQ(service.CurrentProcesses[0], expected.substr(0, 1023));
  EXPECT_THAT(service.LoggedOnUsers.Items(), ElementsAre(owner.substr(0, 99)));
}

// The scheduler's synchronised tick runs the census with the tick's time and flushes its lines.
TEST_F(ProcessCensusTest, ASynchronisedTickWritesTheCensusToTheProcessLog) {
  service.TimeSynced = true;
  fixture.clock.SetNow({2026, 12, 8, 10, 0, 0, 0});
  source.SetProcess(7, "alice", "a.exe", "p");
  service.Timer1Timer();
  EXPECT_EQ(fixture.ProcessLog(), std::string("O[08.12.2026 10:00:00] | 7 | alice | a.exe | p ") + kNativeLineEnd);
  EXPECT_THAT(service.LoggedOnUsers.Items(), ElementsAre("alice"));
}

}  // namespace
