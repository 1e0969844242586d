#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "census/process_census.h"
#include "census/process_snapshot_win.h"
#include "census/process_source_win.h"
#include "fakes/service_fixture.h"
#include "base/string_list.h"
#include "platform/unique_handle_win.h"

namespace {

using ::testing::Contains;
using ::testing::StartsWith;

std::string CurrentUserName() {
  char name[256];
  DWORD size = sizeof name;
  if (!GetUserNameA(name, &size)) return {};
  return name;
}

std::string OwnModuleName() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  const std::string full(path, length);
  return full.substr(full.find_last_of("\\/") + 1);
}

// The system's processes without the snapshot: the census queries every process as it did
// before it had one.
class OneByOneSource : public WindowsProcessSource {
 public:
  CallResult<std::vector<SnapshotProcess>> TakeSnapshot() override { return CallFailure{"no snapshot"}; }
};

// The census line of a process, or an empty text when the census does not list it.
std::string LineOf(const ServiceState& service, uint32_t pid) {
  const std::string prefix = std::to_string(pid) + " | ";
  for (const std::string& line : service.CurrentProcesses) {
    if (line.rfind(prefix, 0) == 0) return line;
  }
  return {};
}

TEST(WindowsProcessSourceTest, ListsThisProcess) {
  WindowsProcessSource source;
  const CallResult<std::vector<uint32_t>> ids = source.EnumerateProcessIds();
  ASSERT_TRUE(ids.Ok()) << ids.Failure();
  EXPECT_THAT(ids.Value(), Contains(static_cast<uint32_t>(GetCurrentProcessId())));
}

// The snapshot lists what EnumProcesses lists, in its order, and this process with the creation
// time, the session and the executable's name the system gives it.
TEST(WindowsProcessSourceTest, TheSnapshotListsTheIdsOfEnumProcessesWithTheirCreationTimes) {
  WindowsProcessSource source;
  std::vector<uint32_t> ids, snapshotIds;
  std::vector<SnapshotProcess> snapshot;
  // Taken again until they agree, as a process of the prefix may end between the two calls.
  for (int attempt = 0; attempt < 5 && (ids.empty() || snapshotIds != ids); ++attempt) {
    const CallResult<std::vector<SnapshotProcess>> taken = source.TakeSnapshot();
    const CallResult<std::vector<uint32_t>> listed = source.EnumerateProcessIds();
    ASSERT_TRUE(taken.Ok()) << taken.Failure();
    ASSERT_TRUE(listed.Ok()) << listed.Failure();
    snapshot = taken.Value();
    ids = listed.Value();
    snapshotIds.clear();
    for (const SnapshotProcess& process : snapshot) snapshotIds.push_back(process.id);
  }
  EXPECT_EQ(snapshotIds, ids);

  FILETIME created, exited, kernel, user;
  ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user));
  const auto own = std::find_if(snapshot.begin(), snapshot.end(),
                                [](const SnapshotProcess& process) { return process.id == GetCurrentProcessId(); });
  ASSERT_NE(own, snapshot.end());
  EXPECT_EQ(own->creationTime, static_cast<int64_t>((uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime));
  EXPECT_TRUE(SameText(own->imageName, OwnModuleName())) << own->imageName;
  const CallResult<uint32_t> session = source.FindProcessSession(GetCurrentProcessId());
  ASSERT_TRUE(session.Ok()) << session.Failure();
  EXPECT_EQ(own->sessionId, session.Value());
}

// A buffer too small for the snapshot is grown until the snapshot fits; a system without the call
// gives no snapshot, and the failure names the call.
TEST(SystemProcessSnapshotTest, GrowsTheBufferAndNamesAMissingCall) {
  // A process of the prefix may end between two snapshots: the two are taken again until they
  // agree, each time with a new small buffer.
  std::vector<uint32_t> expected, grown;
  for (int attempt = 0; attempt < 5 && (expected.empty() || grown != expected); ++attempt) {
    SystemProcessSnapshot normal;
    SystemProcessSnapshot small = SystemProcessSnapshot::ForTesting("NtQuerySystemInformation", 64);
    std::vector<SnapshotProcess> normalProcesses, smallProcesses;
    std::string failure;
    ASSERT_TRUE(normal.Take(normalProcesses, failure)) << failure;
    ASSERT_TRUE(small.Take(smallProcesses, failure)) << failure;
    expected.clear();
    grown.clear();
    for (const SnapshotProcess& process : normalProcesses) expected.push_back(process.id);
    for (const SnapshotProcess& process : smallProcesses) grown.push_back(process.id);
  }
  EXPECT_EQ(grown, expected);
  EXPECT_THAT(grown, Contains(static_cast<uint32_t>(GetCurrentProcessId())));

  std::vector<SnapshotProcess> none{{4, 1, 0, "a.exe"}};
  std::string failure;
  SystemProcessSnapshot missing = SystemProcessSnapshot::ForTesting("NtQueryNothing", 64);
  EXPECT_FALSE(missing.Take(none, failure));
  EXPECT_THAT(failure, StartsWith("GetProcAddress(NtQueryNothing) failed with error 127"));
  EXPECT_TRUE(none.empty());
}

TEST(WindowsProcessSourceTest, QueriesModuleDevicePathAndOwnerOfThisProcess) {
  WindowsProcessSource source;
  ProcessDetails details;
  ASSERT_EQ(source.QueryProcess(GetCurrentProcessId(), details), ProcessQueryResult::kComplete) << details.failure;
  EXPECT_TRUE(SameText(details.moduleName, OwnModuleName())) << details.moduleName;
  EXPECT_THAT(details.imagePath, StartsWith("\\Device\\"));
  EXPECT_TRUE(details.failure.empty());
  const CallResult<std::string> account = source.FindAccountName(details.ownerSid);
  ASSERT_TRUE(account.Ok()) << account.Failure();
  ASSERT_FALSE(CurrentUserName().empty());
  EXPECT_TRUE(SameText(account.Value(), CurrentUserName())) << account.Value();
}

TEST(WindowsProcessSourceTest, RefusesWhatCannotBeQueried) {
  WindowsProcessSource source;
  ProcessDetails details;
  // Process ids are multiples of four, so this one never names a process.
  EXPECT_EQ(source.QueryProcess(0xFFFFFFF3u, details), ProcessQueryResult::kOpenProcessFailed);
  EXPECT_THAT(details.failure, StartsWith("OpenProcess failed with error "));
  const CallResult<std::string> account = source.FindAccountName(std::string("\x01\x05", 2));
  ASSERT_FALSE(account.Ok());
  EXPECT_THAT(account.Failure(), StartsWith("LookupAccountSidW failed with error 1337"));
}

// The census of this prefix from the snapshot gives every process it shares with the census of
// one process after the other the same line, this process under its user with its device path.
TEST(WindowsProcessSourceTest, TheCensusFromTheSnapshotGivesTheLinesOfTheOneByOneCensus) {
  ServiceFixture fromSnapshot;
  WindowsProcessSource source;
  fromSnapshot.platform.processSource = &source;
  THourwarden& service = fromSnapshot.Build();
  ServiceFixture oneByOne;
  OneByOneSource oneByOneSource;
  oneByOne.platform.processSource = &oneByOneSource;
  THourwarden& before = oneByOne.Build();
  UpdateProcessList(service);
  UpdateProcessList(before);

  const uint32_t self = GetCurrentProcessId();
  const std::string prefix = std::to_string(self) + " | " + CurrentUserName() + " | " + OwnModuleName() + " | \\Device\\";
  EXPECT_THAT(LineOf(service, self), StartsWith(prefix));
  EXPECT_EQ(LineOf(service, self).back(), ' ');
  int shared = 0;
  for (const std::string& line : before.CurrentProcesses) {
    const uint32_t pid = static_cast<uint32_t>(std::stoul(line));
    if (LineOf(service, pid).empty()) continue;  // ended between the two censuses
    EXPECT_EQ(LineOf(service, pid), line);
    ++shared;
  }
  EXPECT_GE(shared, before.CurrentProcesses.Count() - 2);
  EXPECT_EQ(service.LoggedOnUsers, before.LoggedOnUsers);
  EXPECT_EQ(service.ProcessEvents.Count(), service.CurrentProcesses.Count());  // all started
}

// A process created suspended has not run a single instruction, so its memory holds nothing the
// census could read; the census never reads it, and lists the process at once with its path and
// owner.
TEST(WindowsProcessSourceTest, AProcessStartedSuspendedIsListedAtOnce) {
  ServiceFixture fixture;
  WindowsProcessSource source;
  fixture.platform.processSource = &source;
  THourwarden& service = fixture.Build();

  // cmd.exe waits for its input, a pipe that stays open until the process is ended.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  UniqueHandle input, inputWriter;
  ASSERT_TRUE(CreatePipe(input.Receive(), inputWriter.Receive(), &inherit, 0));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.Get();
  PROCESS_INFORMATION created{};
  char command[] = "cmd.exe /q /k";
  ASSERT_TRUE(CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr,
                             nullptr, &startup, &created));
  UniqueHandle process(created.hProcess), thread(created.hThread);
  struct EndAtExit {
    HANDLE process;
    ~EndAtExit() { TerminateProcess(process, 0); }
  } end{process.Get()};

  UpdateProcessList(service);
  const std::string line = LineOf(service, created.dwProcessId);
  EXPECT_THAT(line, StartsWith(std::to_string(created.dwProcessId) + " | " + CurrentUserName() + " | cmd.exe | \\Device\\"));
  EXPECT_THAT(service.ProcessEvents.Items(), Contains(::testing::EndsWith("] | " + line)));
}

}  // namespace
