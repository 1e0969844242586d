#include "core/standard_user_access.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kReadAndExecute = 0x1200A9;  // what standard users get on a protected folder
constexpr uint32_t kFullControl = 0x1F01FF;

AccessEntry Allow(const char* sid, uint32_t mask, bool inheritOnly = false) { return {true, inheritOnly, sid, mask}; }
AccessEntry Deny(const char* sid, uint32_t mask) { return {false, false, sid, mask}; }

TEST(FolderAccessTest, FindsTheWriteRightsStandardUsersGetInTheOrderWindowsChecks) {
  const struct {
    const char* name;
    std::vector<AccessEntry> entries;
    std::optional<std::string> access;
  } cases[] = {
      {"protected folder", {Allow(kAdministratorsSid, kFullControl), Allow(kUsersSid, kReadAndExecute)}, std::nullopt},
      {"users may create files", {Allow(kUsersSid, kReadAndExecute | kFolderAddFile)},
       "Users (S-1-5-32-545) may create files"},
      {"generic write to authenticated users", {Allow(kAuthenticatedUsersSid, kGenericWrite)},
       "Authenticated Users (S-1-5-11) may create files, create folders"},
      {"everyone in full", {Allow(kEveryoneSid, kGenericAll)},
       "Everyone (S-1-1-0) may create files, create folders, delete files, change its permissions, take ownership"},
      {"interactive may change permissions", {Allow(kInteractiveSid, kWriteDac)},
       "INTERACTIVE (S-1-5-4) may change its permissions"},
      {"inherit-only entries do not apply to the folder", {Allow(kUsersSid, kGenericAll, true)}, std::nullopt},
      {"a deny before the allow wins", {Deny(kEveryoneSid, kFolderAddFile), Allow(kUsersSid, kFolderAddFile)},
       std::nullopt},
      {"a deny after the allow comes too late", {Allow(kUsersSid, kFolderAddFile), Deny(kEveryoneSid, kFolderAddFile)},
       "Users (S-1-5-32-545) may create files"},
      {"two groups", {Allow(kUsersSid, kFolderAddFile), Allow(kEveryoneSid, kFolderAddSubfolder)},
       "Users (S-1-5-32-545) and Everyone (S-1-1-0) may create files, create folders"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(StandardUserWriteAccess(FolderAccessList{FolderAccessList::Kind::kFolder, false, c.entries}), c.access);
  }
}

TEST(FolderAccessTest, NoAccessListOpensTheFolderToEveryoneAndAnUnreadListDecidesNothing) {
  EXPECT_NE(StandardUserWriteAccess(FolderAccessList{FolderAccessList::Kind::kFolder, true, {}}), std::nullopt);
  EXPECT_EQ(StandardUserWriteAccess(FolderAccessList{FolderAccessList::Kind::kNotFound, false, {Allow(kUsersSid, kGenericAll)}}),
            std::nullopt);
}

}  // namespace
