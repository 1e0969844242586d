// The logs of a service that runs as LocalSystem in a folder others may have prepared: nothing is
// followed, nothing of another's is replaced, and lines that cannot be written are bounded.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/standard_user_access.h"
#include "fakes/scripted_log_files.h"
#include "fakes/service_fixture.h"
#include "logging/log_folder.h"
#include "logging/logs.h"

namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::StartsWith;
namespace fs = std::filesystem;

class LogSafetyTest : public ::testing::Test {
 protected:
  LogSafetyTest() : service((fixture.platform.logFileSystem = &scripted, fixture.Build())) {
    service.DebugLevel = 1;
    service.DebugLines.Clear();
    fs::create_directory(fixture.dir.File("logs"));
    service.AppPath = Logs("");
  }
  // The service's last flush goes through the scripted files, so it goes first.
  ~LogSafetyTest() override { fixture.Destroy(); }

  std::string Logs(const std::string& name) const { return fixture.dir.File("logs") + ServiceFixture::kSeparator + name; }
  std::string Own(const std::string& name) const { return fixture.logFiles->ServiceLogFolder() + name; }
  void Plant(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

  ServiceFixture fixture;
  ScriptedLogFiles scripted{*fixture.logFiles};
  THourwarden& service;
};

TEST_F(LogSafetyTest, APathFolderStandardUsersCanWriteToIsRefusedForTheServicesOwn) {
  scripted.openFolders.insert(Logs(""));
  WriteLog(service, 0, "first");
  EXPECT_TRUE(FlushLogs(service));
  WriteLog(service, 0, "second");
  EXPECT_TRUE(FlushLogs(service));

  EXPECT_FALSE(fs::exists(Logs("debug.log")));
  const std::vector<std::string> messages = ServiceFixture::Messages(ReadBytes(Own("debug.log")));
  ASSERT_EQ(messages.size(), 3u);  // the refusal is said once, at the first write
  EXPECT_EQ(messages[0], "first");
  EXPECT_THAT(messages[1], StartsWith("ERROR: The logs go to " + Own("") + " instead: the folder " + Logs("") +
                                      " of Path is refused, standard users can write to it (Everyone"));
  EXPECT_EQ(messages[2], "second");
  EXPECT_EQ(StandardUserWriteAccess(fixture.logFiles->ReadFolderAccess(Own(""))), std::nullopt);  // private

  service.AppPath = fixture.dir.Prefix();  // a folder of the administrators' again: used again
  WriteLog(service, 0, "third");
  FlushLogs(service);
  EXPECT_THAT(ServiceFixture::Messages(fixture.DebugLog()), testing::ElementsAre("third"));
}

// A file of another's in the log's place, or a second name of some other file, is never written to.
TEST_F(LogSafetyTest, ALinkInTheLogsPlaceIsRefusedAndTheLinesWait) {
  Plant(fixture.dir.File("elsewhere.txt"), "not a log\n");
  fs::create_hard_link(fixture.dir.File("elsewhere.txt"), Logs("debug.log"));
  WriteLog(service, 0, "kept");
  EXPECT_FALSE(FlushLog(service, &service.DebugLines, kDebugLogName));
  EXPECT_EQ(ReadBytes(fixture.dir.File("elsewhere.txt")), "not a log\n");
  EXPECT_EQ(service.DebugLines.Count(), 2);
  EXPECT_THAT(fixture.BufferedMessages(), Contains(HasSubstr("has another name too (a hard link)")));
  EXPECT_EQ(TrimLog(service, kDebugLogName), false);  // nor read to be rewritten
}

TEST_F(LogSafetyTest, ASymbolicLinkInTheLogsPlaceIsNotFollowed) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine shows a symbolic link of the host as the file it points to";
#endif
  Plant(fixture.dir.File("elsewhere.txt"), "not a log\n");
  fs::create_symlink(fixture.dir.File("elsewhere.txt"), Logs("process.log"));
  WriteLog(service, 1, "O[...] | 1 | alice | a.exe | x ");
  EXPECT_FALSE(FlushLog(service, &service.ProcessEvents, kProcessLogName));
  EXPECT_EQ(ReadBytes(fixture.dir.File("elsewhere.txt")), "not a log\n");
  EXPECT_EQ(service.ProcessEvents.Count(), 1);
}

// The trim's new file is made only where nothing is: what another put there stays, a leftover of
// the service's own is cleared first.
TEST_F(LogSafetyTest, TheTrimCreatesItsNewFileOnlyWhereNothingOfAnothersIs) {
  const auto makeFullLog = [&] {
    std::ofstream out(Logs("debug.log"), std::ios::binary);
    for (int i = 0; i < 12'000; ++i) out << std::string(99, 'x') << kNativeLineEnd;
  };
  makeFullLog();
  Plant(fixture.dir.File("elsewhere.txt"), "planted\n");
  fs::create_hard_link(fixture.dir.File("elsewhere.txt"), Logs("debug.log.trim"));
  EXPECT_FALSE(TrimLog(service, kDebugLogName));
  EXPECT_EQ(ReadBytes(fixture.dir.File("elsewhere.txt")), "planted\n");
  EXPECT_GT(fs::file_size(Logs("debug.log")), static_cast<uintmax_t>(kTrimSize));

  fs::remove(Logs("debug.log.trim"));
  Plant(Logs("debug.log.trim"), "a leftover of an earlier trim\n");
  EXPECT_TRUE(TrimLog(service, kDebugLogName));
  EXPECT_LE(fs::file_size(Logs("debug.log")), static_cast<uintmax_t>(kTrimSize));
  EXPECT_FALSE(fs::exists(Logs("debug.log.trim")));
}

TEST_F(LogSafetyTest, ABufferThatCannotBeWrittenDropsItsOldestLinesAndSaysSo) {
  for (int i = 0; i < kMaxBufferedLines + 5; ++i) WriteLog(service, 1, "event " + std::to_string(i));
  EXPECT_EQ(service.ProcessEvents.Count(), kMaxBufferedLines - kMaxBufferedLines / 10 + 5);
  EXPECT_THAT(service.ProcessEvents[0], HasSubstr("] event 1000"));
  ASSERT_TRUE(FlushLogs(service));
  const std::vector<std::string> messages = ServiceFixture::Messages(ReadBytes(Logs("process.log")));
  EXPECT_EQ(messages.front(), "ERROR: 1000 older lines were dropped while the log could not be written");
  EXPECT_EQ(messages.back(), "event " + std::to_string(kMaxBufferedLines + 4));
  WriteLog(service, 1, "later");
  FlushLogs(service);
  EXPECT_EQ(ServiceFixture::Messages(ReadBytes(Logs("process.log"))).back(), "later");  // said once
}

TEST(LogFolderTest, TheFolderOfAPrefixIsWhatPrecedesItsLastSeparator) {
  EXPECT_EQ(FolderOfPrefix("C:\\Hourwarden\\"), "C:\\Hourwarden\\");
  EXPECT_EQ(FolderOfPrefix("C:\\Tools"), "C:\\");
  EXPECT_EQ(FolderOfPrefix("/var/log/hw"), "/var/log/");
  EXPECT_EQ(FolderOfPrefix(""), ".");
}

TEST(LogFileSystemTest, SizesAreSixtyFourBits) {
  TempDir dir;
  const std::string path = dir.File("big.log");
  std::ofstream(path).put('x');
  fs::resize_file(path, 3ull << 30);  // sparse: no disk space is taken
  EXPECT_EQ(MakeLogFileSystem(dir.File("own"), LogFileDistrust)->FileSize(path).Value(), int64_t{3} << 30);
}

}  // namespace
