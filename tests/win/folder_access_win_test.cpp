#include "platform/folder_access_win.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "fakes/temp_dir.h"

namespace {

// (Wine derives a folder's access list from its Unix mode; the Wine script of hwctl checks a folder
// open to everyone. Here: a fresh folder, which only its owner may write to.)
TEST(WindowsFolderAccessTest, ReadsTheEntriesOfAFreshFoldersAccessList) {
  TempDir dir;
  const std::string folder = dir.File("logs");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  for (const std::string& name : {folder, folder + "\\"}) {
    const FolderAccessList list = WindowsFolderAccessSource().Read(name);
    ASSERT_EQ(list.outcome, FolderAccessList::Outcome::Read) << list.failure;
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

TEST(WindowsFolderAccessTest, TellsAMissingFolderFromAFile) {
  TempDir dir;
  EXPECT_EQ(WindowsFolderAccessSource().Read(dir.File("absent\\")).outcome, FolderAccessList::Outcome::NotFound);
  std::ofstream(dir.File("debug.log")) << "x";
  EXPECT_EQ(WindowsFolderAccessSource().Read(dir.File("debug.log")).outcome, FolderAccessList::Outcome::NotAFolder);
}

}  // namespace
