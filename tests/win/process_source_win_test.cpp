#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "census/process_census.h"
#include "census/process_source_win.h"
#include "fakes/service_fixture.h"
#include "platform/string_list.h"

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

TEST(WindowsProcessSourceTest, ListsThisProcess) {
  WindowsProcessSource source;
  std::vector<uint32_t> ids;
  ASSERT_TRUE(source.EnumerateProcessIds(ids));
  EXPECT_LE(ids.size(), kProcessIdTableSize);
  EXPECT_THAT(ids, Contains(static_cast<uint32_t>(GetCurrentProcessId())));
}

TEST(WindowsProcessSourceTest, QueriesOwnerModuleAndDevicePathOfThisProcess) {
  WindowsProcessSource source;
  ProcessDetails details;
  ASSERT_EQ(source.QueryProcess(GetCurrentProcessId(), details), ProcessQueryResult::kComplete) << details.failure;
  ASSERT_FALSE(CurrentUserName().empty());
  EXPECT_TRUE(SameText(details.owner, CurrentUserName())) << details.owner;
  EXPECT_TRUE(SameText(details.moduleName, OwnModuleName())) << details.moduleName;
  EXPECT_THAT(details.imagePath, StartsWith("\\Device\\"));
  EXPECT_TRUE(details.failure.empty());
}

TEST(WindowsProcessSourceTest, AProcessThatDoesNotExistCannotBeOpened) {
  WindowsProcessSource source;
  ProcessDetails details;
  // Process ids are multiples of four, so this one never names a process.
  EXPECT_EQ(source.QueryProcess(0xFFFFFFF3u, details), ProcessQueryResult::kOpenProcessFailed);
  EXPECT_THAT(details.failure, StartsWith("OpenProcess failed with error "));
}

TEST(WindowsProcessSourceTest, TheCensusOfTheSystemListsThisProcessUnderItsUser) {
  ServiceFixture fixture;
  WindowsProcessSource source;
  fixture.platform.processSource = &source;
  THourwarden& service = fixture.Build();
  UpdateProcessList(service);

  const std::string user = CurrentUserName();
  const std::string prefix = std::to_string(GetCurrentProcessId()) + " | " + user + " | ";
  const auto own = std::find_if(service.CurrentProcesses.begin(), service.CurrentProcesses.end(),
                                [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
  ASSERT_NE(own, service.CurrentProcesses.end()) << "no line starts with " << prefix;
  EXPECT_THAT(*own, StartsWith(prefix + OwnModuleName() + " | \\Device\\"));
  EXPECT_EQ(own->back(), ' ');
  EXPECT_NE(service.LoggedOnUsers.IndexOf(user), -1);
  EXPECT_EQ(service.ProcessEvents.Count(), service.CurrentProcesses.Count());  // all started
}

}  // namespace
