#include "logging/logs.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fakes/scripted_log_files.h"
#include "fakes/service_fixture.h"

namespace {

using ::testing::ElementsAre;

// Writes a file of exactly `size` bytes made of lines of 99 characters and a native line end.
std::string MakeLog(const std::string& path, long long size) {
  std::ofstream out(path, std::ios::binary);
  const std::string lineEnd = kNativeLineEnd;
  long long written = 0;
  int number = 0;
  while (written < size) {
    std::string line = "line " + std::to_string(number++);
    const long long room = size - written - static_cast<long long>(lineEnd.size());
    line.resize(static_cast<size_t>(std::min<long long>(room, 99)), '.');
    out << line << lineEnd;
    written += static_cast<long long>(line.size() + lineEnd.size());
  }
  return path;
}

class LogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fixture.clock.SetNow({2026, 12, 8, 3, 34, 30, 0});
    service = &fixture.Build();
    std::lock_guard lock(service->LogBufferMutex());
    service->DebugLines.Clear();  // drop the lines of ServiceCreate
  }

  std::string MakeLogOfSize(const std::string& name, long long size) { return MakeLog(fixture.dir.File(name), size); }

  ServiceFixture fixture;
  THourwarden* service = nullptr;
};

TEST(LevelAllowsTest, TheLevelDividedByTheThresholdMustNotBeZero) {
  struct Case {
    int level, threshold;
    bool allowed;
  } cases[] = {{0, 1, false}, {1, 1, true}, {1, 2, false}, {2, 2, true}, {3, 4, false}, {4, 4, true},
               {-3, 3, true}, {-3, 4, false}, {-2, 1, true}, {-1, 2, false}, {9, 4, true}};
  for (const Case& c : cases)
    EXPECT_EQ(LevelAllows(c.level, c.threshold), c.allowed) << c.level << " / " << c.threshold;
}

TEST_F(LogsTest, LinesCarryTheLocalTimeAndGoToTheSelectedBuffer) {
  WriteLog(*service, 0, "Service started");
  WriteLog(*service, 1, "to the process log");
  WriteLog(*service, 7, "");
  EXPECT_THAT(service->DebugLines.Items(),
              ElementsAre("[08.12.2026 03:34:30] Service started", "[08.12.2026 03:34:30] "));
  EXPECT_THAT(service->ProcessEvents.Items(), ElementsAre("[08.12.2026 03:34:30] to the process log"));
}

TEST_F(LogsTest, ALineIsCutAt1023Characters) {
  WriteLog(*service, 0, std::string(2000, 'x'));
  ASSERT_EQ(service->DebugLines.Count(), 1);
  EXPECT_EQ(service->DebugLines[0].size(), 1023u);
}

TEST_F(LogsTest, WriteLogAtObeysTheDebugLevel) {
  service->DebugLevel = 2;
  WriteLogAt(*service, 3, "detail");
  WriteLogAt(*service, 2, "outcome");
  service->DebugLevel = 0;
  WriteLogAt(*service, 1, "silenced");
  EXPECT_THAT(fixture.BufferedMessages(), ElementsAre("outcome"));
}

TEST_F(LogsTest, AFlushAppendsEveryLineWithTheNativeLineEndAndEmptiesTheBuffer) {
  WriteLog(*service, 0, "first");
  ASSERT_TRUE(FlushLogs(*service));
  WriteLog(*service, 0, "second");
  ASSERT_TRUE(FlushLogs(*service));
  const std::string end = kNativeLineEnd;
  EXPECT_EQ(fixture.DebugLog(), "[08.12.2026 03:34:30] first" + end + "[08.12.2026 03:34:30] second" + end);
  EXPECT_TRUE(service->DebugLines.Empty());
}

TEST_F(LogsTest, AnEmptyBufferCreatesNoFile) {
  EXPECT_TRUE(FlushLogs(*service));
  EXPECT_FALSE(std::filesystem::exists(fixture.dir.File("debug.log")));
  EXPECT_FALSE(std::filesystem::exists(fixture.dir.File("process.log")));
  EXPECT_FALSE(FlushLog(*service, nullptr, "debug.log"));
}

TEST_F(LogsTest, AtLevelZeroDebugLogIsNotTouchedButTheProcessLogIs) {
  WriteLog(*service, 0, "kept for later");
  WriteLog(*service, 1, "O[...] | 1 | alice | a.exe | x ");
  service->DebugLevel = 0;
  EXPECT_TRUE(FlushLogs(*service));
  EXPECT_FALSE(std::filesystem::exists(fixture.dir.File("debug.log")));
  EXPECT_NE(fixture.ProcessLog().find("alice"), std::string::npos);
  service->DebugLevel = 1;
  FlushLogs(*service);
  EXPECT_THAT(ServiceFixture::Messages(fixture.DebugLog()), ElementsAre("kept for later"));
}

TEST_F(LogsTest, AFailedFlushKeepsTheLinesAndTheNextOneWritesThemFirst) {
  const std::string goodPath = service->AppPath;
  service->AppPath = fixture.dir.File("missing-directory") + "/";
  WriteLog(*service, 0, "older");
  EXPECT_TRUE(FlushLogs(*service));  // the process buffer is empty, and that is the result
  EXPECT_FALSE(FlushLog(*service, &service->DebugLines, "debug.log"));
  EXPECT_EQ(service->DebugLines.Count(), 2);  // the line and why it could not be written
  EXPECT_FALSE(FlushLog(*service, &service->DebugLines, "debug.log"));
  EXPECT_EQ(service->DebugLines.Count(), 2);  // the reason is said once
  service->AppPath = goodPath;
  WriteLog(*service, 0, "newer");
  FlushLogs(*service);
  const std::vector<std::string> messages = ServiceFixture::Messages(fixture.DebugLog());
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0], "older");
  EXPECT_THAT(messages[1], ::testing::StartsWith("ERROR: Not possible to write the log: "));
  EXPECT_EQ(messages[2], "newer");
}

TEST_F(LogsTest, AppPathIsAPlainPrefix) {
  service->AppPath = fixture.dir.File("Tools");
  WriteLog(*service, 0, "x");
  FlushLogs(*service);
  EXPECT_TRUE(std::filesystem::exists(fixture.dir.File("Toolsdebug.log")));
}

TEST_F(LogsTest, AWrittenFileBecomesHiddenAndLosesItsOtherAttributes) {
  const std::string path = fixture.dir.File("debug.log");
  std::ofstream(path).put('\n');
  fixture.fileAttributes.Set(path, kFileAttributeReadOnly | 0x20);
  WriteLog(*service, 0, "x");
  FlushLogs(*service);
  EXPECT_EQ(fixture.fileAttributes.Get(path), kFileAttributeHidden);

  const int setsBefore = fixture.fileAttributes.SetCalls();
  WriteLog(*service, 0, "y");
  FlushLogs(*service);
  EXPECT_EQ(fixture.fileAttributes.SetCalls(), setsBefore);  // already hidden: left alone
}

TEST_F(LogsTest, UnreadableAttributesAreLeftUnchanged) {
  const std::string path = fixture.dir.File("debug.log");
  fixture.fileAttributes.SetUnreadable(path);
  WriteLog(*service, 0, "x");
  EXPECT_TRUE(FlushLogs(*service));
  EXPECT_EQ(fixture.fileAttributes.SetCalls(), 0);
}

TEST_F(LogsTest, TrimLeavesAFileBelowTheLimitAlone) {
  const std::string path = MakeLogOfSize("debug.log", kTrimSize - 1);
  const std::string before = ReadBytes(path);
  EXPECT_TRUE(TrimLog(*service, "debug.log"));
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(fixture.fileAttributes.SetCalls(), 0);
}

TEST_F(LogsTest, TrimAtExactlyTheLimitRewritesEveryLine) {
  const std::string path = MakeLogOfSize("debug.log", kTrimSize);
  const std::string before = ReadBytes(path);
  EXPECT_TRUE(TrimLog(*service, "debug.log"));
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(fixture.fileAttributes.Get(path), kFileAttributeHidden);
}

TEST_F(LogsTest, TrimOneByteOverTheLimitDropsTheFirstLine) {
  const std::string path = MakeLogOfSize("process.log", kTrimSize + 1);
  const std::string before = ReadBytes(path);
  const size_t firstLineEnd = before.find('\n') + 1;
  EXPECT_TRUE(TrimLog(*service, "process.log"));
  EXPECT_EQ(ReadBytes(path), before.substr(firstLineEnd));
}

TEST_F(LogsTest, TrimKeepsTheNewestWholeLinesWithinTheLimit) {
  const std::string path = MakeLogOfSize("debug.log", kTrimSize + 250);
  const std::string before = ReadBytes(path);
  TrimLog(*service, "debug.log");
  // Lines of 99 characters and their line end: 250 bytes of excess take three lines.
  size_t cut = 0;
  for (int i = 0; i < 3; ++i) cut = before.find('\n', cut) + 1;
  EXPECT_EQ(ReadBytes(path), before.substr(cut));
}

TEST_F(LogsTest, AFailedTrimRewriteKeepsEveryLineOfTheOldFile) {
  const std::string path = MakeLogOfSize("debug.log", kTrimSize + 10);
  const std::string before = ReadBytes(path);
  // A directory where the new file would be written makes the rewrite fail.
  std::filesystem::create_directory(path + ".trim");
  EXPECT_FALSE(TrimLog(*service, "debug.log"));
  EXPECT_FALSE(TrimLog(*service, "debug.log"));
  EXPECT_EQ(ReadBytes(path), before);
  // The reason is said once while it stays.
  EXPECT_THAT(fixture.BufferedMessages(), ElementsAre(testing::MatchesRegex(
                                              "ERROR: Not possible to cut the log back: .*debug.log.trim .*")));
}

TEST_F(LogsTest, TrimLogsSaysWhetherBothLogsCouldBeTrimmed) {
  EXPECT_FALSE(TrimLog(*service, "debug.log"));  // a missing file changes nothing
  EXPECT_FALSE(TrimLogs(*service));
  EXPECT_FALSE(std::filesystem::exists(fixture.dir.File("debug.log")));
  MakeLogOfSize("debug.log", 10);
  const std::string process = MakeLogOfSize("process.log", kTrimSize + 10);
  EXPECT_TRUE(TrimLogs(*service));
  MakeLogOfSize("process.log", kTrimSize + 10);
  std::filesystem::create_directory(process + ".trim");
  EXPECT_FALSE(TrimLogs(*service));
}

// A flush that leaves a log over the limit cuts it back to its newest whole lines within 7/8 of
// the limit, reading a piece at a time however far over the limit the file has grown.
TEST(FlushTrimTest, AFlushCutsALogOverTheLimitBackToItsNewestLines) {
  const struct {
    long long before;
    bool cut;
  } cases[] = {{kTrimSize - 200, false}, {kTrimSize - 20, true}, {kTrimSize, true}, {3 * kTrimSize, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    ServiceFixture fixture;
    ScriptedLogFiles scripted(*fixture.logFiles);
    fixture.platform.logFileSystem = &scripted;
    THourwarden& service = fixture.Build();
    service.DebugLines.Clear();
    const std::string before = ReadBytes(MakeLog(fixture.dir.File("debug.log"), c.before));
    WriteLog(service, 0, "the newest line");
    EXPECT_TRUE(FlushLogs(service));
    const std::string after = fixture.DebugLog();
    const size_t lastLine = after.rfind('\n', after.size() - 2) + 1;
    const std::string whole = before + after.substr(lastLine);
    EXPECT_TRUE(after.ends_with("] the newest line" + std::string(kNativeLineEnd)));
    if (!c.cut) {
      EXPECT_EQ(after, whole);
    } else {
      EXPECT_LE(static_cast<long long>(after.size()), kRunningTrimKeep);
      EXPECT_GT(static_cast<long long>(after.size()) + 101, kRunningTrimKeep);  // the next older line would not fit
      EXPECT_TRUE(whole.ends_with(after) && whole[whole.size() - after.size() - 1] == '\n');  // whole lines
      EXPECT_EQ(fixture.fileAttributes.Get(fixture.dir.File("debug.log")), kFileAttributeHidden);
    }
    EXPECT_LE(scripted.largestRead, kTrimPieceSize);
    fixture.Destroy();  // its last flush goes through the scripted files, so it goes first
  }
}

}  // namespace
