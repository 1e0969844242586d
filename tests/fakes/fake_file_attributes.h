#pragma once

#include <filesystem>
#include <map>
#include <set>

#include "platform/file_attributes.h"

// File attributes kept in memory for files that exist on disk; a path can be made unreadable.
class FakeFileAttributes : public FileAttributes {
 public:
  std::optional<uint32_t> Get(const std::string& path) const override {
    if (unreadable_.count(path) != 0 || !std::filesystem::exists(path)) return std::nullopt;
    const auto found = attributes_.find(path);
    return found == attributes_.end() ? kFileAttributeNormal : found->second;
  }
  bool Set(const std::string& path, uint32_t attributes) override {
    if (!std::filesystem::exists(path)) return false;
    attributes_[path] = attributes;
    ++setCalls_;
    return true;
  }

  void SetUnreadable(const std::string& path) { unreadable_.insert(path); }
  int SetCalls() const { return setCalls_; }

 private:
  std::map<std::string, uint32_t> attributes_;
  std::set<std::string> unreadable_;
  int setCalls_ = 0;
};
