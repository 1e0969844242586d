#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "fakes/temp_dir.h"
#include "platform/ui_font_win.h"
#include "session/notice_window_win.h"
#include "session/session_log.h"
#include "session/session_log_win.h"
#include "session/session_desktop_win.h"
#include "session/startup_registry_win.h"
#include "session/window_layout.h"

namespace {

constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kTestValue[] = "Hourwarden session test";

// The Run key's value as stored: its type and text, or type REG_NONE when it is absent.
std::pair<DWORD, std::string> RunValue(const char* name) {
  char text[512] = {};
  DWORD size = sizeof text;
  DWORD type = REG_NONE;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, kRunKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, text, &size) != ERROR_SUCCESS)
    return {REG_NONE, ""};
  return {type, text};
}

TEST(WindowsStartupRegistryTest, StoresTheCommandAsAStringAndRemovesIt) {
  WindowsStartupRegistry registry;
  ASSERT_TRUE(registry.SetStartupCommand(kTestValue, "\"C:\\Program Files\\h.exe\"").Ok());
  EXPECT_EQ(RunValue(kTestValue), std::make_pair(DWORD{REG_SZ}, std::string("\"C:\\Program Files\\h.exe\"")));
  EXPECT_TRUE(registry.RemoveStartupCommand(kTestValue).Ok());
  EXPECT_EQ(RunValue(kTestValue).first, DWORD{REG_NONE});
  EXPECT_TRUE(registry.RemoveStartupCommand(kTestValue).Ok()) << "removing an absent entry is no failure";
}

TEST(WindowsSessionDesktopTest, TheTestHookRecordsEachLogoffAndLockInsteadOfMakingThem) {
  TempDir dir;
  const std::string log = dir.File("logoff.log");
  WindowsSessionDesktop desktop(nullptr, WM_APP + 1, log);
  EXPECT_TRUE(desktop.LogOff());
  EXPECT_TRUE(desktop.Lock());
  EXPECT_EQ(ReadBytes(log), "ExitWindowsEx(EWX_LOGOFF | EWX_FORCEIFHUNG)" + std::string(kNativeLineEnd) +
                                "LockWorkStation()" + kNativeLineEnd);
  WindowsSessionDesktop unwritable(nullptr, WM_APP + 1, dir.File("no such dir\\logoff.log"));
  EXPECT_FALSE(unwritable.LogOff());
  EXPECT_FALSE(unwritable.Lock());
}

bool IsTopmostAndVisible(HWND window) {
  return window != nullptr && IsWindowVisible(window) && (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

TEST(SessionLogWinTest, AFailedCallIsWrittenToTheToolsLogInTheTemporaryFolder) {
  const std::filesystem::path log = std::filesystem::temp_directory_path() / kSessionLogName;
  ReportFailedCall("CreateMutexA", ERROR_ACCESS_DENIED);
  EXPECT_NE(ReadBytes(log.string()).find("] CreateMutexA failed with error 5: "), std::string::npos);
}

TEST(NoticeWindowTest, ShowsOnTopAndOnlyAClosableNoticeGivesWay) {
  NoticeWindow warning(true);
  NoticeWindow logoff(false);
  ASSERT_TRUE(warning.Show("Your computer time for today ends in 5 minutes."));
  ASSERT_TRUE(logoff.Show("You will be logged off in 60 seconds."));
  EXPECT_TRUE(IsTopmostAndVisible(warning.Handle()));
  EXPECT_TRUE(IsTopmostAndVisible(logoff.Handle()));

  SendMessageA(warning.Handle(), WM_CLOSE, 0, 0);
  SendMessageA(logoff.Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(warning.Handle()));
  EXPECT_TRUE(IsTopmostAndVisible(logoff.Handle()));

  ASSERT_TRUE(warning.Show("Your computer time for today ends in 1 minute."));
  EXPECT_TRUE(IsTopmostAndVisible(warning.Handle()));
}

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

int FontHeight(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return std::abs(font.lfHeight);
}

// Moved to a monitor of 200 %: the size Windows suggests, the layout and the font of that scale.
TEST(NoticeWindowTest, FollowsAMoveToAMonitorOfAnotherScale) {
  NoticeWindow notice(true);
  ASSERT_TRUE(notice.Show("Your computer time for today ends in 5 minutes."));
  HWND ok = GetDlgItem(notice.Handle(), IDOK);
  const int heightBefore = FontHeight(ok);
  const Box size = NoticeSize(192);
  RECT suggested{40, 30, 40 + size.width, 30 + size.height};
  SendMessageW(notice.Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  const RECT window = WindowRect(notice.Handle());
  EXPECT_EQ(window.left, 40);
  EXPECT_EQ(window.right - window.left, size.width);
  const RECT button = WindowRect(ok);
  EXPECT_EQ(button.right - button.left, ScaledToDpi(90, 192));
  EXPECT_EQ(button.bottom - button.top, ScaledToDpi(30, 192));
  RECT client{};
  GetClientRect(notice.Handle(), &client);
  POINT corner{button.right, button.bottom};
  ScreenToClient(notice.Handle(), &corner);
  EXPECT_EQ(client.right - corner.x, ScaledToDpi(16, 192)) << "the OK button keeps the margin of that scale";
  EXPECT_EQ(client.bottom - corner.y, ScaledToDpi(16, 192));
  EXPECT_NEAR(FontHeight(ok), FontHeightAtDpi(heightBefore, WindowDpi(nullptr), 192), 1);
}

}  // namespace
