#pragma once

#include <algorithm>
#include <set>
#include <string>

#include "platform/log_file_system.h"

// The platform's own log files with two faults a test can switch on: appends that are refused,
// and folders reported open to standard users (Everyone may create files), as a folder under
// ProgramData that nobody has locked down would be. Notes the largest read asked for.
class ScriptedLogFiles : public LogFileSystem {
 public:
  explicit ScriptedLogFiles(LogFileSystem& real) : real_(real) {}

  CallResult<int64_t> AppendLines(const std::string& path, const std::vector<std::string>& lines) override {
    if (refuseAppends) return CallFailure{path + ": WriteFile failed with error 112", 112};
    return real_.AppendLines(path, lines);
  }
  CallResult<std::optional<int64_t>> FileSize(const std::string& path) override { return real_.FileSize(path); }
  CallResult<std::string> ReadPiece(const std::string& path, int64_t offset, size_t count) override {
    largestRead = std::max(largestRead, count);
    return real_.ReadPiece(path, offset, count);
  }
  CallResult<Creation> CreateNewFileFrom(const std::string& to, const std::string& from, int64_t offset) override {
    if (refuseAppends) return CallFailure{to + ": WriteFile failed with error 112", 112};
    return real_.CreateNewFileFrom(to, from, offset);
  }
  CallResult<PathFacts> Facts(const std::string& path) override { return real_.Facts(path); }
  std::string ProcessAccount() const override { return real_.ProcessAccount(); }
  CallResult<void> ReplaceFile(const std::string& from, const std::string& to) override {
    return real_.ReplaceFile(from, to);
  }
  CallResult<void> RemoveFile(const std::string& path) override { return real_.RemoveFile(path); }
  CallResult<FolderAccessList> ReadFolderAccess(const std::string& folder) override {
    CallResult<FolderAccessList> read = real_.ReadFolderAccess(folder);
    if (!read || openFolders.count(folder) == 0) return read;
    FolderAccessList list = read.Value();
    list.entries.push_back({true, false, kEveryoneSid, kFolderAddFile});
    return list;
  }
  CallResult<bool> CreatePrivateFolder(const std::string& folder) override { return real_.CreatePrivateFolder(folder); }
  CallResult<void> RestrictFolder(const std::string& folder) override { return real_.RestrictFolder(folder); }
  std::string ServiceLogFolder() const override { return real_.ServiceLogFolder(); }

  bool refuseAppends = false;
  size_t largestRead = 0;  // the most bytes one read asked for
  std::set<std::string> openFolders;

 private:
  LogFileSystem& real_;
};
