#include "settingsapp/programs_today.h"

#include <gtest/gtest.h>

#include "core/fixed_regional_format.h"

namespace {

TEST(ProgramsTodayTest, MinutesRunningTodayFromTheProcessLog) {
  const std::vector<std::string> log = {
      "O[08.12.2026 22:00:00] | 70 | alice | game.exe | C:\\game.exe ",        // yesterday, still running
      "O[08.12.2026 22:00:00] | 69 | alice | gone.exe | C:\\gone.exe ",
      "X[08.12.2026 23:00:00] | 69 | alice | gone.exe | C:\\gone.exe ",        // ended yesterday
      "garbage",
      "O[09.12.2026 08:00:00] | 71 | alice | notepad.exe | C:\\notepad.exe ",
      "O[09.12.2026 08:10:00] | 72 | bob | notepad.exe | C:\\notepad.exe ",     // another account
      "X[09.12.2026 08:30:30] | 71 | alice | notepad.exe | C:\\notepad.exe ",
      "O[09.12.2026] | 73 | ALICE | paint.exe | C:\\paint.exe ",               // exactly midnight
      "X[09.12.2026 01:00:00] | 73 | ALICE | paint.exe | C:\\paint.exe ",
      "X[09.12.2026 02:00:00] | 74 | alice | old.exe | C:\\old.exe ",          // started before today
      "O[09.12.2026 09:30:00] | 75 | alice | notepad.exe | C:\\notepad.exe ",  // running now
      "O[09.12.2026 9:99:00] | 76 | alice | bad.exe | C:\\bad.exe ",           // no time of this format
  };
  const FixedRegionalFormat format;
  const double now = EncodeDateTime({2026, 12, 9, 10, 0});
  const std::vector<ProgramTime> programs = ProgramsToday(log, "alice", format, now, 3);
  ASSERT_EQ(programs.size(), 3u);
  const std::pair<const char*, int> expected[] = {
      {"game.exe", 600}, {"old.exe", 120}, {"notepad.exe", 61}};  // notepad: 30.5 + 30 minutes, rounded up
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(programs[i].program, expected[i].first);
    EXPECT_EQ(programs[i].minutes, expected[i].second);
  }
  EXPECT_EQ(ProgramsToday(log, "alice", format, now, 9).size(), 4u);  // paint.exe too, not bad.exe
}

}  // namespace
