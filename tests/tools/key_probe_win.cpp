// A console helper for the Wine tests of the parent's code key:
//   key_probe standard PATH   drops to a standard user's rights (a restricted token in which the
//                             Administrators group only denies), then opens HKLM\PATH to read its
//                             values; prints "denied" or "opened"
//   key_probe sddl PATH       prints the key's access list in the descriptor language

#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::string command = argv[1];
  if (command == "sddl") {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, argv[2], 0, READ_CONTROL, &key) != ERROR_SUCCESS) return 1;
    char buffer[4096];
    DWORD size = sizeof buffer;
    if (RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, buffer, &size) != ERROR_SUCCESS) return 1;
    char* text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(buffer, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                              &text, nullptr))
      return 1;
    std::printf("%s\n", text);
    LocalFree(text);
    RegCloseKey(key);
    return 0;
  }
  if (command != "standard") return 2;
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token)) return 1;
  PSID administrators = nullptr;
  ConvertStringSidToSidA("S-1-5-32-544", &administrators);
  SID_AND_ATTRIBUTES disabled{administrators, 0};
  HANDLE restricted = nullptr;
  HANDLE impersonation = nullptr;
  if (!CreateRestrictedToken(token, 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted) ||
      !DuplicateTokenEx(restricted, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenImpersonation,
                        &impersonation) ||
      !SetThreadToken(nullptr, impersonation)) {
    std::fprintf(stderr, "could not drop the rights: error %lu\n", GetLastError());
    return 1;
  }
  HKEY key = nullptr;
  const LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, argv[2], 0, KEY_READ, &key);
  if (result == ERROR_SUCCESS) RegCloseKey(key);
  RevertToSelf();
  std::printf(result == ERROR_SUCCESS ? "opened\n" : result == ERROR_ACCESS_DENIED ? "denied\n" : "error %ld\n", result);
  return 0;
}
