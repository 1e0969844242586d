#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "platform/wide_text_win.h"
#include "settings/reg_key_win.h"
#include "settings/registry_access_win.h"
#include "settings/registry_access_suite.h"

namespace {

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// A scratch key of its own under HKLM\SOFTWARE, removed with the backend. The suite's raw reads
// and writes go straight to the Win32 calls, around the implementation under test; texts are
// UTF-8 in the suite and UTF-16 in the registry.
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
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, Relative(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr),
              ERROR_SUCCESS);
    const std::wstring wide = WideFromUtf8(value.data);
    const std::string data =
        IsText(value.type) ? std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2) : value.data;
    ASSERT_EQ(RegSetValueExW(key.Get(), WideFromUtf8(name).c_str(), 0, value.type,
                             reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
  }

  std::optional<RegistryValue> Stored(const std::string& path, const std::string& name) const {
    RegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Relative(path).c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
      return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    const std::wstring wideName = WideFromUtf8(name);
    if (RegQueryValueExW(key.Get(), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      return std::nullopt;
    std::string data(size, '\0');
    if (RegQueryValueExW(key.Get(), wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
      return std::nullopt;
    data.resize(size);
    if (!IsText(type)) return RegistryValue{type, data};
    return RegistryValue{type, Utf8FromWide({reinterpret_cast<const wchar_t*>(data.data()), data.size() / 2})};
  }

  bool Exists(const std::string& path) const {
    RegKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, Relative(path).c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
  }

  void DeleteKey(const std::string& path) {
    ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, Relative(path).c_str()), ERROR_SUCCESS);
  }

 private:
  // The path from the root key, without the leading and trailing backslashes.
  static std::wstring Relative(const std::string& path) {
    std::string relative = PathFromRoot(path);
    if (!relative.empty() && relative.back() == '\\') relative.pop_back();
    return WideFromUtf8(relative);
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
