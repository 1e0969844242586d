#include "platform/folder_access_win.h"

#include <windows.h>
#include <sddl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/standard_user_access.h"
#include "fakes/temp_dir.h"

namespace {

// (Wine derives a folder's access list from its Unix mode; the Wine script of hwctl checks a folder
// open to everyone. Here: a fresh folder, which only its owner may write to.)
TEST(WindowsFolderAccessTest, ReadsTheEntriesOfAFreshFoldersAccessList) {
  TempDir dir;
  const std::string folder = dir.File("logs");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  for (const std::string& name : {folder, folder + "\\"}) {
    const CallResult<FolderAccessList> read = WindowsFolderAccessSource().Read(name);
    ASSERT_TRUE(read) << read.Failure();
    const FolderAccessList& list = read.Value();
    ASSERT_FALSE(list.noList);
    ASSERT_FALSE(list.entries.empty());
    for (const AccessEntry& entry : list.entries) {
      EXPECT_THAT(entry.trustee, testing::StartsWith("S-1-"));
      EXPECT_EQ(entry.trustee.find_first_not_of("S0123456789-"), std::string::npos) << entry.trustee;
      EXPECT_NE(entry.mask, 0u);
    }
    EXPECT_EQ(StandardUserWriteAccess(list), std::nullopt);
  }
}

// Wine keeps no access list of its own for a file: it maps the one given at creation to the Unix
// mode and reads back LocalSystem and the owner. So the folder is checked for what Wine keeps,
// and the descriptor it is created with for the rest.
TEST(WindowsFolderAccessTest, CreatesAFolderStandardUsersCannotWriteTo) {
  TempDir dir;
  const std::string folder = dir.File("ProgramData\\Hourwarden\\");  // the folder above is made too
  ASSERT_TRUE(WindowsFolderAccessSource().CreateAdminOnlyFolder(folder));
  const CallResult<FolderAccessList> read = WindowsFolderAccessSource().Read(folder);
  ASSERT_TRUE(read) << read.Failure();
  const FolderAccessList& list = read.Value();
  EXPECT_EQ(StandardUserWriteAccess(list), std::nullopt);
  for (const AccessEntry& entry : list.entries)
    EXPECT_THAT(entry.trustee, testing::Not(testing::AnyOf("S-1-5-32-545", "S-1-5-11", "S-1-1-0", "S-1-5-4")));
  EXPECT_THAT(WindowsFolderAccessSource().CreateAdminOnlyFolder(folder).Failure(), testing::HasSubstr("CreateDirectoryW"));
}

TEST(WindowsFolderAccessTest, TheFolderDescriptorAllowsOnlyLocalSystemAndTheAdministratorsAndInheritsNothing) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(kAdminOnlyFolderSddl, SDDL_REVISION_1,
                                                                   &descriptor, nullptr));
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
  EXPECT_NE(control & SE_DACL_PROTECTED, 0);
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
  ASSERT_TRUE(present && dacl != nullptr);
  std::vector<std::string> entries;
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, index, reinterpret_cast<void**>(&ace)));
    char* sid = nullptr;
    ASSERT_TRUE(ConvertSidToStringSidA(&ace->SidStart, &sid));
    entries.push_back(std::to_string(ace->Header.AceType) + " " + sid + " " + std::to_string(ace->Header.AceFlags) +
                      " " + std::to_string(ace->Mask));
    LocalFree(sid);
  }
  LocalFree(descriptor);
  // Allowed (0), inherited by files and folders (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE = 3),
  // FILE_ALL_ACCESS (0x1F01FF).
  EXPECT_THAT(entries, testing::ElementsAre("0 S-1-5-18 3 2032127", "0 S-1-5-32-544 3 2032127"));
}

TEST(WindowsFolderAccessTest, TellsAMissingFolderFromAFile) {
  TempDir dir;
  EXPECT_EQ(WindowsFolderAccessSource().Read(dir.File("absent\\")).Value().kind, FolderAccessList::Kind::kNotFound);
  std::ofstream(dir.File("debug.log")) << "x";
  EXPECT_EQ(WindowsFolderAccessSource().Read(dir.File("debug.log")).Value().kind, FolderAccessList::Kind::kNotAFolder);
}

}  // namespace
