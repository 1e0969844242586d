#include "engine/account_control_win.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/account_blocking.h"
#include "fakes/service_fixture.h"
#include "platform/unique_handle_win.h"

// These tests run with the recording netapi32.dll beside the test executable (under Wine with
// WINEDLLOVERRIDES=netapi32=n): the real account calls go to it and change no account.

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

const std::string kNone(42, '0');
const std::string kAll(42, 'f');

// A service on the real account and token calls, with the recorder's log in its temporary
// directory.
class WindowsAccountTest : public ::testing::Test {
 protected:
  WindowsAccountTest() {
    fixture.platform.accountControl = &accounts;
    SetEnvironmentVariableA("HOURWARDEN_NETAPI_LOG", fixture.dir.File("netapi.log").c_str());
    fixture.Build().DebugLines.Clear();
  }
  ~WindowsAccountTest() override { SetEnvironmentVariableA("HOURWARDEN_NETAPI_LOG", nullptr); }

  // The calls the recorder saw, one line each.
  std::vector<std::string> RecordedCalls() const {
    const std::string text = ReadBytes(fixture.dir.File("netapi.log"));
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
      const size_t end = text.find('\n', start);
      lines.push_back(text.substr(start, end - start));
      if (end == std::string::npos) break;
      start = end + 1;
    }
    return lines;
  }

  WindowsAccountControl accounts;
  ServiceFixture fixture;
};

TEST_F(WindowsAccountTest, BlockingSetsNoHourAndUnblockingEveryHourThroughLevel1020) {
  THourwarden& service = *fixture.service;
  SetAccountBlocked(service, "alice", true);
  SetAccountBlocked(service, "alice", false);
  EXPECT_THAT(RecordedCalls(), ElementsAre("server=(local) user=alice level=1020 units=168 hours=" + kNone,
                                           "server=(local) user=alice level=1020 units=168 hours=" + kAll));
  EXPECT_THAT(fixture.BufferedMessages(),
              ElementsAre("User account successfully blocked: alice", "User account successfully unblocked: alice"));
}

TEST_F(WindowsAccountTest, AFailedCallIsReportedWithItsCode) {
  SetAccountBlocked(*fixture.service, "nosuchuser", true);
  EXPECT_EQ(RecordedCalls().size(), 1u);
  const std::vector<std::string> lines = fixture.BufferedMessages();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "ERROR: Not possible to set user settings nosuchuser");
  EXPECT_THAT(lines[1], StartsWith("NetUserSetInfo failed with error 2221"));
}

TEST_F(WindowsAccountTest, TheNameIsWidenedFromUtf8InAnyAlphabet) {
  EXPECT_TRUE(accounts.SetLogonHours("Дима", 168, LogonHours{}).Ok());
  EXPECT_TRUE(accounts.SetLogonHours("Ελένη", 168, LogonHours{}).Ok());
  EXPECT_THAT(RecordedCalls(), ElementsAre("server=(local) user=Дима level=1020 units=168 hours=" + kNone,
                                           "server=(local) user=Ελένη level=1020 units=168 hours=" + kNone));
}

TEST_F(WindowsAccountTest, ANameThatDoesNotFitTheBufferIsNeverPassedOn) {
  EXPECT_TRUE(accounts.SetLogonHours(std::string(100, 'a'), 168, LogonHours{}).Ok());
  const CallResult<> failure = accounts.SetLogonHours(std::string(101, 'a'), 168, LogonHours{});
  ASSERT_FALSE(failure.Ok());
  EXPECT_THAT(failure.Failure(), StartsWith("NetUserSetInfo failed with error 122"));
  EXPECT_EQ(RecordedCalls().size(), 1u);
}

// Whether the privilege is enabled in this process's token.
bool ShutdownPrivilegeEnabled() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return false;
  LUID shutdown{};
  if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &shutdown)) return false;
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenPrivileges, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token.Get(), TokenPrivileges, buffer.data(), size, &size)) return false;
  const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
  for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
    const LUID& luid = privileges->Privileges[i].Luid;
    if (luid.LowPart == shutdown.LowPart && luid.HighPart == shutdown.HighPart)
      return (privileges->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED) != 0;
  }
  return false;
}

// Turns the privilege off again in this process's token.
void DisableShutdownPrivilege() {
  UniqueHandle token;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Receive()));
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  ASSERT_TRUE(LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid));
  privileges.Privileges[0].Attributes = 0;
  ASSERT_TRUE(AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr));
}

TEST_F(WindowsAccountTest, ThePrivilegeStepOnlyEnablesThePrivilegeAndFlushes) {
  DisableShutdownPrivilege();
  ASSERT_FALSE(ShutdownPrivilegeEnabled());
  THourwarden& service = *fixture.service;
  service.ProcessEvents.Add("pending process line");

  PrepareShutdown(service);

  EXPECT_TRUE(ShutdownPrivilegeEnabled());
  EXPECT_EQ(fixture.DebugMessages(), std::vector<std::string>{"Shutting down computer"});
  EXPECT_THAT(fixture.ProcessLog(), HasSubstr("pending process line"));
  DisableShutdownPrivilege();
}

}  // namespace
