#include "hwctl/written_values.h"

#include "hwctl/stored_settings.h"

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Assigned(const std::string& text) {
  std::string assigned = "= ";
  assigned += text;
  return assigned;
}

}  // namespace

// A key that does not open leaves the current key as it was.
bool RecordingRegistry::OpenKey(const std::string& path) {
  const bool opened = registry_.OpenKey(path);
  if (opened) openPath_ = path;
  return opened;
}

bool RecordingRegistry::OpenKeyReadOnly(const std::string& path) {
  const bool opened = registry_.OpenKeyReadOnly(path);
  if (opened) openPath_ = path;
  return opened;
}

void RecordingRegistry::CloseKey() {
  registry_.CloseKey();
  openPath_.clear();
}

void RecordingRegistry::Note(const std::string& name, const std::string& text) {
  changes_.push_back(DisplayKey(openPath_) + ": " + name + " " + text);
}

// Each write is noted once it has succeeded: a refused one throws past the note.
void RecordingRegistry::WriteString(const std::string& name, const std::string& value) {
  registry_.WriteString(name, value);
  Note(name, Assigned(Quoted(value)));
}

void RecordingRegistry::WriteMultiString(const std::string& name, const std::vector<std::string>& strings) {
  registry_.WriteMultiString(name, strings);
  std::string list;
  for (const std::string& text : strings) {
    if (!list.empty()) list += ' ';
    list += Quoted(text);
  }
  Note(name, Assigned(list.empty() ? "(none)" : list));
}

void RecordingRegistry::WriteInteger(const std::string& name, int32_t value) {
  registry_.WriteInteger(name, value);
  Note(name, Assigned(std::to_string(value)));
}

bool RecordingRegistry::DeleteValue(const std::string& name) {
  const bool deleted = registry_.DeleteValue(name);
  if (deleted) Note(name, "deleted");
  return deleted;
}

bool RecordingRegistry::DeleteKey(const std::string& path) {
  const bool deleted = registry_.DeleteKey(path);
  if (deleted) changes_.push_back(DisplayKey(path) + " deleted");
  return deleted;
}
