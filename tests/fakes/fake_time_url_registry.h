#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "settings/registry_access.h"

// Just enough of a registry for the TimeUrl value of the product key: the key may be absent, and
// the value absent, a string or of another type. Counts the access objects alive and the keys
// open, and notes any attempt to write.
class FakeTimeUrlRegistry {
 public:
  bool productKeyExists = true;
  std::optional<std::string> timeUrl;  // a REG_SZ value; nothing when absent
  bool timeUrlIsNumber = false;        // the value is a REG_DWORD instead
  int liveAccessObjects = 0;
  int openKeys = 0;
  bool writeAttempted = false;

  RegistryOpener Opener() {
    return [this]() -> std::unique_ptr<RegistryAccess> { return std::make_unique<Access>(*this); };
  }

 private:
  class Access : public RegistryAccess {
   public:
    explicit Access(FakeTimeUrlRegistry& registry) : registry_(registry) { ++registry_.liveAccessObjects; }
    ~Access() override {
      CloseKey();
      --registry_.liveAccessObjects;
    }

    bool KeyExists(const std::string& path) override { return IsProductKey(path); }
    bool OpenKey(const std::string&) override {
      registry_.writeAttempted = true;
      return false;
    }
    bool OpenKeyReadOnly(const std::string& path) override {
      if (!IsProductKey(path)) return false;
      CloseKey();
      open_ = true;
      ++registry_.openKeys;
      return true;
    }
    void CloseKey() override {
      if (open_) --registry_.openKeys;
      open_ = false;
    }
    bool ValueExists(const std::string& name) override { return IsTimeUrl(name) && registry_.timeUrl.has_value(); }
    std::string ReadString(const std::string& name) override {
      if (!IsTimeUrl(name) || !registry_.timeUrl) return {};
      if (registry_.timeUrlIsNumber)
        throw RegistryError(std::string(kProductKey) + name + ": value is not of type REG_SZ");
      return *registry_.timeUrl;
    }
    int32_t ReadInteger(const std::string& name) override {
      throw RegistryError(std::string(kProductKey) + name + ": no such integer value");
    }
    void WriteString(const std::string&, const std::string&) override { registry_.writeAttempted = true; }
    void WriteInteger(const std::string&, int32_t) override { registry_.writeAttempted = true; }
    void GetKeyNames(StringList& names) override { names.Clear(); }

   private:
    bool IsProductKey(const std::string& path) const {
      return registry_.productKeyExists && SameText(path, kProductKey);
    }
    bool IsTimeUrl(const std::string& name) const { return open_ && SameText(name, "TimeUrl"); }

    FakeTimeUrlRegistry& registry_;
    bool open_ = false;
  };
};
