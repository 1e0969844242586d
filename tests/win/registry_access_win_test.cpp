#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "settings/reg_key_win.h"
#include "settings/registry_access_win.h"
#include "settings/registry_access_suite.h"

namespace {

// A scratch key of its own under HKLM\SOFTWARE, removed with the backend. The suite's raw reads
// and writes go straight to the Win32 calls, around the implementation under test.
class WindowsBackend {
 public:
  WindowsBackend() {
    static std::atomic<int> counter{0};
    name_ = "SOFTWARE\\HourwardenRegistryScratch-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter++);
  }
  ~WindowsBackend() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, name_.c_str()); }

  std::string Root() const { return "\\" + name_ + "\\"; }
  std::unique_ptr<RegistryAccess> Open() { return OpenWindowsRegistry(); }

  void Store(const std::string& path, const std::string& name, const RegistryValue& value) {
    RegKey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, Relative(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.Get(), name.c_str(), 0, value.type,
                             reinterpret_cast<const BYTE*>(value.data.data()), static_cast<DWORD>(value.data.size())),
              ERROR_SUCCESS);
  }

  std::optional<RegistryValue> Stored(const std::string& path, const std::string& name) const {
    RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, Relative(path).c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
      return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      return std::nullopt;
    std::string data(size, '\0');
    if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
      return std::nullopt;
    data.resize(size);
    return RegistryValue{type, data};
  }

  bool Exists(const std::string& path) const {
    RegKey key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, Relative(path).c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
  }

  void DeleteKey(const std::string& path) {
    ASSERT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, Relative(path).c_str()), ERROR_SUCCESS);
  }

 private:
  // The path from the root key, without the leading and trailing backslashes.
  static std::string Relative(const std::string& path) {
    std::string relative = PathFromRoot(path);
    if (!relative.empty() && relative.back() == '\\') relative.pop_back();
    return relative;
  }

  std::string name_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Windows, RegistryAccessSuite, WindowsBackend);

TEST(WindowsRegistryScratchTest, TheScratchKeyIsRemovedAfterwards) {
  std::string root;
  {
    WindowsBackend backend;
    root = backend.Root();
    backend.Store(root + "Users\\alice", "SpentTime", IntegerValue(1));
    ASSERT_TRUE(backend.Exists(root + "Users\\alice"));
  }
  RegKey key;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, PathFromRoot(root).c_str(), 0, KEY_READ, key.Receive()),
            ERROR_FILE_NOT_FOUND);
}

}  // namespace
