#include "platform/log_file_system_win.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <fstream>

#include "core/log_file_trust.h"
#include "core/standard_user_access.h"
#include "fakes/service_fixture.h"
#include "logging/logs.h"
#include "platform/local_memory_win.h"
#include "platform/wide_text_win.h"

namespace {

// A folder named in UTF-8 with letters of no ANSI code page together: Cyrillic and Greek.
constexpr char kForeignFolder[] = "журнал-ημερολόγιο";

TEST(WindowsLogFilesTest, ALogInAFolderNamedOutsideAsciiIsWrittenAndTrimmed) {
  ServiceFixture fixture;
  THourwarden& service = fixture.Build();
  const std::string folder = fixture.dir.File(kForeignFolder);
  ASSERT_TRUE(CreateDirectoryW(WideFromUtf8(folder).c_str(), nullptr));
  service.AppPath = folder + "\\";
  ASSERT_TRUE(fixture.logFiles->AppendLines(service.AppPath + "debug.log",
                                            std::vector<std::string>(12'000, std::string(99, 'x'))));
  EXPECT_TRUE(TrimLog(service, "debug.log"));
  const CallResult<std::optional<int64_t>> size = fixture.logFiles->FileSize(service.AppPath + "debug.log");
  ASSERT_TRUE(size && size.Value().has_value());
  EXPECT_LE(*size.Value(), kTrimSize);
  WriteLog(service, 0, "after the trim");
  EXPECT_TRUE(FlushLogs(service));
}

TEST(WindowsLogFilesTest, TheServicesOwnFolderLosesABroaderAccessList) {
  TempDir dir;
  const std::string parent = dir.File("Hourwarden");
  LocalMemory open;
  // Everyone may do everything, inherited by what is created inside.
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;OICI;FA;;;WD)", SDDL_REVISION_1,
                                                                   open.Receive<void>(), nullptr));
  BOOL present = FALSE, defaulted = FALSE;
  PACL everyone = nullptr;
  GetSecurityDescriptorDacl(open.Get(), &present, &everyone, &defaulted);
  for (const std::string& folder : {parent, parent + "\\Logs"}) {
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    // Given afterwards: Wine keeps no access list given at creation.
    ASSERT_EQ(SetNamedSecurityInfoA(const_cast<char*>(folder.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, everyone, nullptr),
              static_cast<DWORD>(ERROR_SUCCESS));
  }
  const std::unique_ptr<LogFileSystem> files = MakeLogFileSystem(parent + "\\Logs\\", LogFileDistrust);
  ASSERT_TRUE(StandardUserWriteAccess(files->ReadFolderAccess(parent + "\\Logs\\")).has_value());

  EXPECT_TRUE(MakeServiceLogFolderPrivate(*files));
  EXPECT_EQ(StandardUserWriteAccess(files->ReadFolderAccess(parent + "\\Logs\\")), std::nullopt);
  EXPECT_EQ(StandardUserWriteAccess(files->ReadFolderAccess(parent)), std::nullopt);
}

TEST(WindowsLogFilesTest, AFileOfTheServicesOwnIsTrustedAndAHardLinkIsNot) {
  TempDir dir;
  const std::unique_ptr<LogFileSystem> files = MakeLogFileSystem(dir.File("own\\"), LogFileDistrust);
  const std::string log = dir.File("debug.log");
  const CallResult<int64_t> appended = files->AppendLines(log, {"one", "two"});
  ASSERT_TRUE(appended);
  EXPECT_EQ(appended.Value(), 10);
  EXPECT_TRUE(IsTrustedLogFile(*files, log));
  EXPECT_EQ(files->ReadPiece(log, 5, 100).Value(), "two\r\n");
  ASSERT_TRUE(CreateHardLinkA(dir.File("second.log").c_str(), log.c_str(), nullptr));
  EXPECT_FALSE(IsTrustedLogFile(*files, log));
  EXPECT_FALSE(files->AppendLines(log, {"three"}));
  EXPECT_FALSE(files->ReadPiece(log, 0, 100));
}

TEST(WindowsLogFilesTest, TheDefaultOwnFolderLiesUnderProgramData) {
  const std::string folder = DefaultServiceLogFolder();
  EXPECT_NE(folder.find("\\Hourwarden\\Logs\\"), std::string::npos) << folder;
  EXPECT_EQ(folder.back(), '\\');
}

}  // namespace
