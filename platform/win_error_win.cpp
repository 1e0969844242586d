#include <windows.h>

#include "platform/wide_text_win.h"
#include "platform/win_error.h"

#include <cstdio>

std::string SystemErrorText(uint32_t code) {
  // The system's text in UTF-16, in the language of the user's interface whatever its alphabet.
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::string text = length != 0 && buffer != nullptr ? Utf8FromWide({buffer, length}) : std::string();
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

std::string DescribeWindowsFailure(const std::string& call, uint32_t code) {
  return call + " failed with error " + std::to_string(code) + ": " + SystemErrorText(code);
}

std::string DescribeStatusFailure(const std::string& call, uint32_t status) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(status));
  return call + " failed with status " + code;
}
