#include "platform/session_control_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/module_path_win.h"

namespace {

// The file beside the tests in which the recording wtsapi32.dll reads the console's state.
std::string ConsoleStateFile() {
  const std::string exe = ExecutablePath();
  return exe.substr(0, exe.find_last_of('\\') + 1) + "wtsapi32_console.txt";
}

// Under Wine the recording wtsapi32.dll beside the tests answers (WINEDLLOVERRIDES=wtsapi32=n):
// session 0 without a user, session 1 of this account, session 2 of someone else.
TEST(WindowsSessionControlTest, ListsTheSessionsWithTheirUsersAndAsksForTheLogoff) {
  WindowsSessionControl control;
  const CallResult<std::vector<UserSession>> listed = control.ListSessions();
  ASSERT_TRUE(listed.Ok());
  const std::vector<UserSession>& sessions = listed.Value();
  ASSERT_EQ(sessions.size(), 3u);
  char user[257];
  DWORD size = sizeof user;
  ASSERT_TRUE(GetUserNameA(user, &size));
  EXPECT_EQ(sessions[0].userName, "");
  EXPECT_EQ(sessions[1].id, 1u);
  EXPECT_EQ(sessions[1].userName, user);
  EXPECT_EQ(sessions[1].domain, "WINEPC");
  EXPECT_EQ(sessions[2].userName, "someoneelse");

  const std::string exe = ExecutablePath();
  const std::string log = exe.substr(0, exe.find_last_of('\\') + 1) + "wtsapi32_calls.log";
  DeleteFileA(log.c_str());
  EXPECT_TRUE(control.LogOffSession(1).Ok());
  const CallResult<> refused = control.LogOffSession(2);
  ASSERT_FALSE(refused.Ok());
  EXPECT_NE(refused.Failure().find("WTSLogoffSession failed with error 5"), std::string::npos) << refused.Failure();
  EXPECT_TRUE(control.DisconnectSession(1).Ok());
  const CallResult<> notDisconnected = control.DisconnectSession(2);
  ASSERT_FALSE(notDisconnected.Ok());
  EXPECT_NE(notDisconnected.Failure().find("WTSDisconnectSession failed with error 5"), std::string::npos);
  DeleteFileA(ConsoleStateFile().c_str());  // the recorder marked session 1 disconnected
  std::ostringstream calls;
  calls << std::ifstream(log).rdbuf();
  EXPECT_EQ(calls.str(), "logoff session=1 wait=0\nlogoff session=2 wait=0\ndisconnect session=1 wait=0\n"
                         "disconnect session=2 wait=0\n");
}

// The extended information of each session gives its connection and lock, and a session whose
// information cannot be read is listed as active with its lock unknown and the failed call.
TEST(WindowsSessionControlTest, ListsWhetherEachSessionIsActiveLockedOrDisconnected) {
  const struct {
    const char* console;  // the recorder's word for session 1; nullptr: no file
    SessionConnection connection;
    SessionLock lock;
    bool stateRead;
  } cases[] = {
      {nullptr, SessionConnection::kActive, SessionLock::kUnlocked, true},
      {"locked", SessionConnection::kActive, SessionLock::kLocked, true},
      {"disconnected", SessionConnection::kDisconnected, SessionLock::kUnlocked, true},
      {"unreadable", SessionConnection::kActive, SessionLock::kUnknown, false},
  };
  WindowsSessionControl control;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.console ? c.console : "no file");
    DeleteFileA(ConsoleStateFile().c_str());
    if (c.console) std::ofstream(ConsoleStateFile()) << c.console << "\n";
    const CallResult<std::vector<UserSession>> listed = control.ListSessions();
    ASSERT_TRUE(listed.Ok());
    const std::vector<UserSession>& sessions = listed.Value();
    ASSERT_EQ(sessions.size(), 3u);
    EXPECT_EQ(sessions[0].connection, SessionConnection::kDisconnected);
    EXPECT_EQ(sessions[0].lock, SessionLock::kUnknown);
    EXPECT_EQ(sessions[1].connection, c.connection);
    EXPECT_EQ(sessions[1].lock, c.lock);
    EXPECT_EQ(sessions[1].stateFailure.find("WTSSessionInfoEx) failed with error 5") == std::string::npos, c.stateRead)
        << sessions[1].stateFailure;
  }
  DeleteFileA(ConsoleStateFile().c_str());

  const CallResult<std::string> services = control.FindSessionUser(0), other = control.FindSessionUser(2);
  ASSERT_TRUE(services.Ok() && other.Ok());
  EXPECT_EQ(services.Value() + "|" + other.Value(), "|someoneelse");
}

}  // namespace
