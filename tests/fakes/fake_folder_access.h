#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/folder_access.h"

// Folders with access lists set by the test; any other folder does not exist. Folders are named
// without a trailing backslash. A folder created through the interface is kept from standard
// users, unless FailCreating was called.
class FakeFolderAccess : public FolderAccessSource {
 public:
  CallResult<FolderAccessList> Read(const std::string& folder) const override {
    const auto found = folders_.find(Name(folder));
    if (found != folders_.end()) return found->second;
    FolderAccessList missing;
    missing.kind = FolderAccessList::Kind::kNotFound;
    return missing;
  }

  CallResult<> CreateAdminOnlyFolder(const std::string& folder) const override {
    if (!creationFailure_.empty()) return CallFailure{creationFailure_};
    created.push_back(Name(folder));
    folders_[Name(folder)] = {FolderAccessList::Kind::kFolder,
                              false,
                              {{true, false, "S-1-5-18", 0x1F01FF}, {true, false, "S-1-5-32-544", 0x1F01FF}}};
    return {};
  }

  void Set(const std::string& folder, FolderAccessList list) { folders_[folder] = std::move(list); }
  // A folder only SYSTEM and the administrators may write to; standard users may read it.
  void SetKeptFromUsers(const std::string& folder) {
    Set(folder, {FolderAccessList::Kind::kFolder,
                 false,
                 {{true, false, "S-1-5-18", 0x1F01FF}, {true, false, "S-1-5-32-544", 0x1F01FF},
                  {true, false, "S-1-5-32-545", 0x1200A9}}});
  }
  // A folder in which every user may create files.
  void SetOpenToUsers(const std::string& folder) {
    Set(folder, {FolderAccessList::Kind::kFolder, false, {{true, false, "S-1-5-32-545", 0x1301BF}}});
  }
  // Every creation fails with this text (the call and its error).
  void FailCreating(std::string failure) { creationFailure_ = std::move(failure); }

  mutable std::vector<std::string> created;  // the folders created, in order

 private:
  static std::string Name(std::string folder) {
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
  }

  mutable std::map<std::string, FolderAccessList> folders_;
  std::string creationFailure_;
};
