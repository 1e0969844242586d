#include "core/log_file_trust.h"

#include <gtest/gtest.h>

#include <fstream>

#include "fakes/temp_dir.h"

namespace {

using Kind = PathFacts::Kind;
constexpr char kSelf[] = "S-1-5-21-1-2-3-500";

TEST(LogFileTrustTest, TrustsOnlyAPlainFileOfOneNameOwnedByTheSystemTheAdministratorsOrTheProcess) {
  const struct {
    const char* name;
    PathFacts facts;
    std::string self;
    std::optional<std::string> distrust;
  } cases[] = {
      {"LocalSystem's", {Kind::kFile, 1, kLocalSystemSid}, kSelf, std::nullopt},
      {"the Administrators'", {Kind::kFile, 1, kAdministratorsSid}, kSelf, std::nullopt},
      {"the process's own", {Kind::kFile, 1, kSelf}, kSelf, std::nullopt},
      {"another account's", {Kind::kFile, 1, "S-1-5-21-1-2-3-1001"}, kSelf,
       "f belongs to an account other than LocalSystem or the Administrators"},
      {"no owner, the process's unknown", {Kind::kFile, 1, ""}, "",
       "f belongs to an account other than LocalSystem or the Administrators"},
      {"a hard link", {Kind::kFile, 2, kLocalSystemSid}, kSelf, "f has another name too (a hard link)"},
      {"a link", {Kind::kLink, 0, ""}, kSelf, "f is a link or a folder, not a plain file"},
      {"a folder", {Kind::kFolder, 0, ""}, kSelf, "f is a link or a folder, not a plain file"},
      {"a device", {Kind::kOther, 0, ""}, kSelf, "f is a link or a folder, not a plain file"},
      {"absent", {Kind::kAbsent, 0, ""}, kSelf, "f does not exist"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LogFileDistrust("f", c.facts, c.self), c.distrust);
  }
}

TEST(LogFileTrustTest, AFileInThePlaceOfTheServicesOwnFolderIsRefused) {
  TempDir dir;
  std::ofstream(dir.File("own")) << "planted";
  const std::unique_ptr<LogFileSystem> files = MakeLogFileSystem(dir.File("own") + "/", LogFileDistrust);
  const CallResult<void> prepared = MakeServiceLogFolderPrivate(*files);
  ASSERT_FALSE(prepared);
  EXPECT_EQ(prepared.Failure(), dir.File("own") + " is a link or a file, not a folder");
}

}  // namespace
