#include "engine/session_control_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/module_path_win.h"

namespace {

// Under Wine the recording wtsapi32.dll beside the tests answers (WINEDLLOVERRIDES=wtsapi32=n):
// session 0 without a user, session 1 of this account, session 2 of someone else.
TEST(WindowsSessionControlTest, ListsTheSessionsWithTheirUsersAndAsksForTheLogoff) {
  WindowsSessionControl control;
  std::vector<UserSession> sessions;
  ASSERT_EQ(control.ListSessions(sessions), std::nullopt);
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
  EXPECT_EQ(control.LogOffSession(1), std::nullopt);
  const std::optional<std::string> refused = control.LogOffSession(2);
  ASSERT_TRUE(refused.has_value());
  EXPECT_NE(refused->find("WTSLogoffSession failed with error 5"), std::string::npos) << *refused;
  std::ostringstream calls;
  calls << std::ifstream(log).rdbuf();
  EXPECT_EQ(calls.str(), "logoff session=1 wait=0\nlogoff session=2 wait=0\n");
}

}  // namespace
