#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/case_folding.h"

// An ordered list of texts: the one list type for names, process lines and pending log lines.
class StringList {
 public:
  StringList() = default;
  StringList(std::initializer_list<std::string> items) : items_(items) {}

  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  void Add(std::string text) { items_.push_back(std::move(text)); }
  const std::string& operator[](int index) const { return items_.at(static_cast<size_t>(index)); }
  std::string& operator[](int index) { return items_.at(static_cast<size_t>(index)); }
  // Removes the entry at the index.
  void Delete(int index);
  // Removes the first entries, at most count of them.
  void DeleteFirst(int count) {
    items_.erase(items_.begin(), items_.begin() + std::min<size_t>(static_cast<size_t>(count), items_.size()));
  }
  void Clear() { items_.clear(); }
  // Replaces the content with a copy of another list.
  void Assign(const StringList& other) { items_ = other.items_; }
  // Index of the first entry equal to the text without regard to case, or -1.
  int IndexOf(std::string_view text) const;

  const std::vector<std::string>& Items() const { return items_; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  bool operator==(const StringList&) const = default;

 private:
  std::vector<std::string> items_;
};

// A per-user table: position i belongs to user i; an empty slot is a user whose key was not read.
using StringListTable = std::vector<std::optional<StringList>>;

// The list at the index, or nullptr when the index is past the end or the slot is empty.
const StringList* TableEntry(const StringListTable& table, int index);
StringList* TableEntry(StringListTable& table, int index);
