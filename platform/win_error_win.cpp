#include <windows.h>

#include "platform/local_memory_win.h"
#include "platform/wide_text_win.h"
#include "platform/win_error.h"

#include <cstdio>

std::string SystemErrorText(uint32_t code) {
  // The system's text in UTF-16, in the language of the user's interface whatever its alphabet.
  LocalMemory buffer;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      0, reinterpret_cast<LPWSTR>(buffer.Receive<wchar_t>()), 0, nullptr);
  std::string text = length != 0 && buffer ? Utf8FromWide({buffer.Get<wchar_t>(), length}) : std::string();
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

std::string DescribeWindowsFailure(const std::string& call, uint32_t code) {
  return call + " failed with error " + std::to_string(code) + ": " + SystemErrorText(code);
}

CallFailure WindowsCallFailure(const std::string& call, uint32_t code) {
  return {DescribeWindowsFailure(call, code), code};
}

std::string DescribeStatusFailure(const std::string& call, uint32_t status) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(status));
  return call + " failed with status " + code;
}
