#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <ctime>
#include <fstream>
#include <thread>

#include "fakes/service_fixture.h"
#include "logging/logs.h"
#include "platform/clock_win.h"
#include "platform/companion_window_win.h"
#include "base/date_time.h"
#include "platform/file_attributes_win.h"
#include "platform/module_path_win.h"
#include "platform/regional_format_win.h"
#include "platform/timer_win.h"

namespace {

// Pumps this thread's messages for the given time.
void PumpMessages(int milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  MSG message;
  while (GetTickCount() < end) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(5);
  }
}

TEST(WindowsClockTest, ReadsTheLocalClock) {
  WindowsClock clock;
  SYSTEMTIME st;
  GetLocalTime(&st);
  const DateTimeParts now = DecodeDateTime(clock.Now());
  EXPECT_EQ(now.year, st.wYear);
  EXPECT_EQ(now.month, st.wMonth);
  EXPECT_EQ(now.day, st.wDay);
  EXPECT_LE(std::abs(clock.CalendarSeconds() - static_cast<int32_t>(std::time(nullptr))), 1);
}

// The UTC clock is the system clock before any zone; the tick count goes on by itself.
// Each reading is bracketed by the system's own readings taken just before and after it, so a
// loaded machine that pauses the test between the calls cannot fail it.
TEST(WindowsClockTest, ReadsTheUtcClockAndTheTickCount) {
  WindowsClock clock;
  const auto systemNow = [] {
    SYSTEMTIME st;
    GetSystemTime(&st);
    return EncodeDateTime({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, 0});
  };
  const double earliest = systemNow();
  const double utc = clock.UtcNow();
  const double latest = systemNow() + 1.0 / 86400;  // the system's reading drops the milliseconds
  EXPECT_GE(utc, earliest);
  EXPECT_LE(utc, latest);
  const uint64_t ticksBefore = GetTickCount64();
  const uint64_t ticks = clock.TickMilliseconds();
  EXPECT_GE(ticks, ticksBefore);
  EXPECT_LE(ticks, GetTickCount64());
}

TEST(ExecutableBuildTimeTest, IsTheLinkTimeOfThisProgram) {
  const double built = ExecutableBuildTimeUtc();
  WindowsClock clock;
  EXPECT_GT(built, EncodeDateTime({2026, 1, 1, 0, 0, 0, 0}));
  EXPECT_LE(built, clock.UtcNow() + 1.0 / 1440);  // linked before this run, a minute's leeway
}

TEST(WindowsRegionalFormatTest, FormatsWithTheSystemSettings) {
  WindowsRegionalFormat format;
  const DateTimeParts parts{2026, 12, 8, 15, 4, 5, 0};
  EXPECT_NE(format.ShortDate(parts).find("2026"), std::string::npos);
  EXPECT_NE(format.LongTime(parts).find("04"), std::string::npos);
  EXPECT_FALSE(format.TimeSeparator().empty());
}

TEST(WindowsFileAttributesTest, ReadsAndSetsTheHiddenBit) {
  TempDir dir;
  const std::string path = dir.File("a.log");
  WindowsFileAttributes attributes;
  EXPECT_FALSE(attributes.Get(path).has_value());
  std::ofstream(path) << "x\n";
  ASSERT_TRUE(attributes.Get(path).has_value());
  EXPECT_EQ(*attributes.Get(path) & kFileAttributeHidden, 0u);
  ASSERT_TRUE(attributes.Set(path, kFileAttributeHidden));
  // Wine reports the archive bit as well; only the hidden bit matters here.
  EXPECT_EQ(*attributes.Get(path) & kFileAttributeHidden, kFileAttributeHidden);
  attributes.Set(path, kFileAttributeNormal);
}

// The log files on the real file system: hidden after a flush, and a hidden file can be trimmed.
TEST(WindowsLogFilesTest, FlushHidesAndTrimReplacesAHiddenFile) {
  ServiceFixture fixture;
  WindowsFileAttributes attributes;
  fixture.platform.fileAttributes = &attributes;
  THourwarden& service = fixture.Build();
  FlushLogs(service);  // the lines of ServiceCreate
  const std::string path = fixture.dir.File("debug.log");
  EXPECT_EQ(*attributes.Get(path) & kFileAttributeHidden, kFileAttributeHidden);

  {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    for (int i = 0; i < 11000; ++i) out << std::string(98, 'x') << "\r\n";
  }
  const long long before = static_cast<long long>(ReadBytes(path).size());
  ASSERT_GE(before, kTrimSize);
  EXPECT_TRUE(TrimLog(service, "debug.log"));
  EXPECT_LE(static_cast<long long>(ReadBytes(path).size()), kTrimSize);
  EXPECT_EQ(*attributes.Get(path) & kFileAttributeHidden, kFileAttributeHidden);
  attributes.Set(path, kFileAttributeNormal);
  fixture.Destroy();
  attributes.Set(path, kFileAttributeNormal);
}

TEST(WindowsTimerTest, TicksOnTheCreatingThreadAndStopsWhenDisabledElsewhere) {
  std::atomic<int> ticks{0};
  const DWORD thread = GetCurrentThreadId();
  std::atomic<bool> wrongThread{false};
  WindowsTimer timer(50, [&] {
    ++ticks;
    if (GetCurrentThreadId() != thread) wrongThread = true;
  }, nullptr);
  std::thread([&] { timer.SetEnabled(true); }).join();  // switched on from another thread
  PumpMessages(600);
  EXPECT_GE(ticks.load(), 3);
  EXPECT_FALSE(wrongThread.load());
  std::thread([&] { timer.SetEnabled(false); }).join();
  PumpMessages(100);
  const int afterDisable = ticks.load();
  PumpMessages(300);
  EXPECT_EQ(ticks.load(), afterDisable);
}

TEST(WindowsTimerTest, AnExceptionInATickGoesToTheErrorHandler) {
  std::string reported;
  WindowsTimer timer(20, [] { throw std::runtime_error("tick failed"); },
                     [&](const std::string& message) { reported = message; });
  timer.SetEnabled(true);
  PumpMessages(200);
  timer.SetEnabled(false);
  EXPECT_EQ(reported, "tick failed");
}

LRESULT CALLBACK RecordingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 1);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(WindowsCompanionWindowTest, FindsTheWindowByItsExactTitleAndSendsClose) {
  WindowsCompanionWindow companion;
  EXPECT_FALSE(companion.CloseWindowTitled("Hourwarden - User loggoff tool"));
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = RecordingWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "CompanionStandIn";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "CompanionStandIn", "Hourwarden - User loggoff tool", WS_OVERLAPPED, 0, 0, 10,
                                10, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(companion.CloseWindowTitled("Hourwarden - User loggoff"));
  EXPECT_TRUE(companion.CloseWindowTitled("Hourwarden - User loggoff tool"));
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 1);
  DestroyWindow(window);
}

}  // namespace
