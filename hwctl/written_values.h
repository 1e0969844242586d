#pragma once

#include <string>
#include <vector>

#include "settings/registry_access.h"

// A registry access that passes every call on to another and keeps a line for each change it
// makes, for hwctl --verbose: "HKLM\...\alice: DayLimit = "60 60 60 60 90 1440 1440"".
class RecordingRegistry : public RegistryAccess {
 public:
  explicit RecordingRegistry(RegistryAccess& registry) : registry_(registry) {}

  // Each value written or deleted and each key deleted, in the order of the calls.
  const std::vector<std::string>& Changes() const { return changes_; }

  bool KeyExists(const std::string& path) override { return registry_.KeyExists(path); }
  bool OpenKey(const std::string& path) override;
  bool OpenKeyReadOnly(const std::string& path) override;
  void CloseKey() override;
  bool ValueExists(const std::string& name) override { return registry_.ValueExists(name); }
  std::string ReadString(const std::string& name) override { return registry_.ReadString(name); }
  int32_t ReadInteger(const std::string& name) override { return registry_.ReadInteger(name); }
  std::vector<std::string> ReadMultiString(const std::string& name) override { return registry_.ReadMultiString(name); }
  void WriteString(const std::string& name, const std::string& value) override;
  void WriteMultiString(const std::string& name, const std::vector<std::string>& strings) override;
  void WriteInteger(const std::string& name, int32_t value) override;
  bool DeleteValue(const std::string& name) override;
  void GetKeyNames(StringList& names) override { registry_.GetKeyNames(names); }
  bool DeleteKey(const std::string& path) override;

 private:
  void Note(const std::string& name, const std::string& text);

  RegistryAccess& registry_;
  std::string openPath_;
  std::vector<std::string> changes_;
};
