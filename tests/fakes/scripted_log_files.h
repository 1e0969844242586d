#pragma once

#include <set>
#include <string>

#include "platform/log_file_system.h"

// The platform's own log files with two faults a test can switch on: appends that are refused,
// and folders reported open to standard users (Everyone may create files), as a folder under
// ProgramData that nobody has locked down would be.
class ScriptedLogFiles : public LogFileSystem {
 public:
  explicit ScriptedLogFiles(LogFileSystem& real) : real_(real) {}

  std::optional<std::string> AppendLines(const std::string& path, const std::vector<std::string>& lines) override {
    if (refuseAppends) return path + ": WriteFile failed with error 112";
    return real_.AppendLines(path, lines);
  }
  std::optional<int64_t> FileSize(const std::string& path) override { return real_.FileSize(path); }
  std::optional<std::vector<std::string>> ReadLines(const std::string& path) override { return real_.ReadLines(path); }
  Creation CreateNewFile(const std::string& path, const std::vector<std::string>& lines, size_t first) override {
    return refuseAppends ? Creation::kFailed : real_.CreateNewFile(path, lines, first);
  }
  bool IsTrustedFile(const std::string& path) override { return real_.IsTrustedFile(path); }
  std::optional<std::string> ReplaceFile(const std::string& from, const std::string& to) override {
    return real_.ReplaceFile(from, to);
  }
  bool RemoveFile(const std::string& path) override { return real_.RemoveFile(path); }
  FolderAccessList ReadFolderAccess(const std::string& folder) override {
    FolderAccessList list = real_.ReadFolderAccess(folder);
    if (openFolders.count(folder) != 0) list.entries.push_back({true, false, kEveryoneSid, kFolderAddFile});
    return list;
  }
  std::optional<std::string> PrepareServiceLogFolder() override { return real_.PrepareServiceLogFolder(); }
  std::string ServiceLogFolder() const override { return real_.ServiceLogFolder(); }

  bool refuseAppends = false;
  std::set<std::string> openFolders;

 private:
  LogFileSystem& real_;
};
