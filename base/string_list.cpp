#include "base/string_list.h"

void StringList::Delete(int index) {
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

int StringList::IndexOf(std::string_view text) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (SameText(items_[i], text)) return static_cast<int>(i);
  }
  return -1;
}

const StringList* TableEntry(const StringListTable& table, int index) {
  if (index < 0 || static_cast<size_t>(index) >= table.size() || !table[static_cast<size_t>(index)])
    return nullptr;
  return &*table[static_cast<size_t>(index)];
}

StringList* TableEntry(StringListTable& table, int index) {
  if (index < 0 || static_cast<size_t>(index) >= table.size() || !table[static_cast<size_t>(index)])
    return nullptr;
  return &*table[static_cast<size_t>(index)];
}
