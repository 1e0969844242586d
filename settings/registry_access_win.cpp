#include "settings/registry_access_win.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>

#include "platform/wide_text_win.h"
#include "platform/win_error.h"
#include "settings/reg_key_win.h"
#include "settings/registry_values.h"

static_assert(KEY_QUERY_VALUE == kKeyQueryValue && KEY_SET_VALUE == kKeySetValue);
static_assert(KEY_CREATE_SUB_KEY == kKeyCreateSubKey && KEY_ENUMERATE_SUB_KEYS == kKeyEnumerateSubKeys);
static_assert((STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS) == kKeyExistenceRights);
static_assert(KEY_READ == kKeyRead && KEY_ALL_ACCESS == kKeyAllAccess && DELETE == kKeyDelete);
static_assert(REG_SZ == kRegSz && REG_EXPAND_SZ == kRegExpandSz && REG_BINARY == kRegBinary);
static_assert(REG_DWORD == kRegDword && REG_MULTI_SZ == kRegMultiSz && REG_QWORD == kRegQword);

namespace {

// Longest key name the registry allows, plus its NUL.
constexpr DWORD kMaxKeyNameLength = 256;
// The name buffer of a listing grows up to this many characters, far beyond the longest name the
// registry allows.
constexpr size_t kMaxGrownNameLength = 1 << 16;
// A value that keeps growing between the size query and the read is given up on after this.
constexpr int kMaxQueryTries = 4;

// The key path as the registry's W calls take it: UTF-16, starting at the root key.
std::wstring WidePath(const std::string& path) { return WideFromUtf8(PathFromRoot(path)); }

bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// The stored bytes of a text value (UTF-16) as the UTF-8 bytes the program keeps; an odd last
// byte, which no UTF-16 text has, is dropped.
std::string Utf8Bytes(const std::string& wideBytes) {
  std::wstring wide(wideBytes.size() / sizeof(wchar_t), L'\0');
  std::copy_n(wideBytes.data(), wide.size() * sizeof(wchar_t), reinterpret_cast<char*>(wide.data()));
  return Utf8FromWide(wide);
}

// The UTF-8 bytes of a text value as the UTF-16 bytes the registry stores, NULs included.
std::string WideBytes(const std::string& utf8Bytes) {
  const std::wstring wide = WideFromUtf8(utf8Bytes);
  return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

class WindowsRegistryAccess : public RegistryAccess {
 public:
  bool KeyExists(const std::string& path) override {
    RegKey key;
    return RegOpenKeyExW(root_, WidePath(path).c_str(), 0, kKeyExistenceRights, key.Receive()) == ERROR_SUCCESS;
  }

  bool OpenKey(const std::string& path) override {
    RegKey key;
    // Creates the key and any missing parents; REG_OPTION_NON_VOLATILE keeps it across restarts.
    const LONG result = RegCreateKeyExW(root_, WidePath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        desiredAccess_, nullptr, key.Receive(), nullptr);
    if (result != ERROR_SUCCESS) return false;
    MakeCurrent(std::move(key), path);
    return true;
  }

  bool OpenKeyReadOnly(const std::string& path) override {
    for (const DWORD rights : kReadOnlyTries) {
      RegKey key;
      if (RegOpenKeyExW(root_, WidePath(path).c_str(), 0, rights, key.Receive()) == ERROR_SUCCESS) {
        MakeCurrent(std::move(key), path);
        return true;
      }
    }
    return false;
  }

  void CloseKey() override {
    current_.Reset();
    currentPath_.clear();
  }

  bool ValueExists(const std::string& name) override {
    return current_ &&
           RegQueryValueExW(current_.Get(), WideFromUtf8(name).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  }

  std::string ReadString(const std::string& name) override { return TextOfValue(currentPath_, name, Query(name)); }

  int32_t ReadInteger(const std::string& name) override { return IntegerOfValue(currentPath_, name, Query(name)); }

  std::vector<std::string> ReadMultiString(const std::string& name) override {
    return StringsOfValue(currentPath_, name, Query(name));
  }

  void WriteString(const std::string& name, const std::string& value) override { Store(name, StringValue(value)); }

  void WriteMultiString(const std::string& name, const std::vector<std::string>& strings) override {
    Store(name, MultiStringValue(currentPath_, name, strings));
  }

  void WriteInteger(const std::string& name, int32_t value) override { Store(name, IntegerValue(value)); }

  bool DeleteValue(const std::string& name) override {
    if (!current_) return false;
    const LONG result = RegDeleteValueW(current_.Get(), WideFromUtf8(name).c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
  }

  void GetKeyNames(StringList& names) override {
    names.Clear();
    if (!current_) return;
    DWORD count = 0;
    DWORD longest = 0;
    LONG result = RegQueryInfoKeyW(current_.Get(), nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) throw ListingError("RegQueryInfoKeyW", result);
    std::wstring buffer(std::max(longest + 1, kMaxKeyNameLength), L'\0');
    for (DWORD index = 0;;) {
      DWORD length = static_cast<DWORD>(buffer.size());
      result = RegEnumKeyExW(current_.Get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
      if (result == ERROR_NO_MORE_ITEMS) return;  // after the last subkey
      if (result == ERROR_MORE_DATA && buffer.size() < kMaxGrownNameLength) {
        buffer.resize(buffer.size() * 2);  // a longer name came in since the size was asked: again
        continue;
      }
      if (result != ERROR_SUCCESS) throw ListingError("RegEnumKeyExW", result);
      names.Add(Utf8FromWide({buffer.data(), length}));
      ++index;
    }
  }

  bool DeleteKey(const std::string& path) override {
    std::string relative = PathFromRoot(path);
    if (!relative.empty() && relative.back() == '\\') relative.pop_back();
    if (relative.empty()) return false;  // never the root key itself
    // Fails with ERROR_ACCESS_DENIED for a key that has subkeys, so only a leaf key goes.
    return RegDeleteKeyW(root_, WideFromUtf8(relative).c_str()) == ERROR_SUCCESS;
  }

 private:
  RegistryError ListingError(const char* call, LONG result) const {
    return KeyError(currentPath_,
                    "subkeys not listed: " + DescribeWindowsFailure(call, static_cast<uint32_t>(result)));
  }

  void MakeCurrent(RegKey key, const std::string& path) {
    current_ = std::move(key);
    currentPath_ = path;
  }

  // The value's type and bytes, text values in UTF-8, or nothing when it cannot be read
  // (missing, or no key open).
  std::optional<RegistryValue> Query(const std::string& name) const {
    if (!current_) return std::nullopt;
    const std::wstring wideName = WideFromUtf8(name);
    for (int attempt = 0; attempt < kMaxQueryTries; ++attempt) {
      DWORD type = 0;
      DWORD size = 0;
      if (RegQueryValueExW(current_.Get(), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
      std::string data(size, '\0');
      DWORD received = size;
      const LONG result = RegQueryValueExW(current_.Get(), wideName.c_str(), nullptr, &type,
                                           reinterpret_cast<BYTE*>(data.data()), &received);
      if (result == ERROR_MORE_DATA) continue;
      if (result != ERROR_SUCCESS) return std::nullopt;
      data.resize(std::min<DWORD>(received, size));
      return RegistryValue{type, IsTextType(type) ? Utf8Bytes(data) : std::move(data)};
    }
    return std::nullopt;
  }

  void Store(const std::string& name, const RegistryValue& value) {
    if (!current_) throw ValueError("(no key open)", name, "write refused: no key is open");
    const std::string data = IsTextType(value.type) ? WideBytes(value.data) : value.data;
    const LONG result = RegSetValueExW(current_.Get(), WideFromUtf8(name).c_str(), 0, value.type,
                                       reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
    if (result != ERROR_SUCCESS)
      throw ValueError(currentPath_, name,
                       "write refused: " + DescribeWindowsFailure("RegSetValueExW", static_cast<uint32_t>(result)));
  }

  const HKEY root_ = HKEY_LOCAL_MACHINE;
  const REGSAM desiredAccess_ = KEY_ALL_ACCESS;
  RegKey current_;
  std::string currentPath_;
};

}  // namespace

std::unique_ptr<RegistryAccess> OpenWindowsRegistry() { return std::make_unique<WindowsRegistryAccess>(); }
