#pragma once

#include <map>
#include <string>

#include "platform/folder_access.h"

// Folders with access lists set by the test; any other folder does not exist. Folders are named
// without a trailing backslash.
class FakeFolderAccess : public FolderAccessSource {
 public:
  FolderAccessList Read(const std::string& folder) const override {
    std::string name = folder;
    if (!name.empty() && name.back() == '\\') name.pop_back();
    const auto found = folders_.find(name);
    if (found != folders_.end()) return found->second;
    FolderAccessList missing;
    missing.outcome = FolderAccessList::Outcome::NotFound;
    return missing;
  }

  void Set(const std::string& folder, FolderAccessList list) { folders_[folder] = std::move(list); }
  // A folder only SYSTEM and the administrators may write to; standard users may read it.
  void SetKeptFromUsers(const std::string& folder) {
    Set(folder, {FolderAccessList::Outcome::Read,
                 false,
                 {{true, false, "S-1-5-18", 0x1F01FF}, {true, false, "S-1-5-32-544", 0x1F01FF},
                  {true, false, "S-1-5-32-545", 0x1200A9}},
                 {}});
  }
  // A folder in which every user may create files.
  void SetOpenToUsers(const std::string& folder) {
    Set(folder, {FolderAccessList::Outcome::Read, false, {{true, false, "S-1-5-32-545", 0x1301BF}}, {}});
  }

 private:
  std::map<std::string, FolderAccessList> folders_;
};
