#include "platform/wide_text_win.h"

#include <windows.h>

#include <algorithm>
#include <climits>

std::string Utf8FromWide(std::wstring_view text) {
  if (text.empty() || text.size() > INT_MAX / 3) return {};
  // ASCII is the same in both forms: the names of nearly every executable, which the census
  // converts on every tick, need no call.
  if (std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; })) {
    std::string ascii(text.size(), '\0');
    std::transform(text.begin(), text.end(), ascii.begin(), [](wchar_t c) { return static_cast<char>(c); });
    return ascii;
  }
  // With an explicit length the call neither reads nor writes a terminating null; asked with no
  // buffer, it gives the bytes the text needs.
  const int wide = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string utf8(static_cast<size_t>(size), '\0');
  const int written = WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, utf8.data(), size, nullptr, nullptr);
  utf8.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return utf8;
}

std::wstring WideFromUtf8(std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return std::wstring(text.begin(), text.end());
  const int bytes = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, nullptr, 0);
  if (size <= 0) return {};
  std::wstring wide(static_cast<size_t>(size), L'\0');
  const int written = MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, wide.data(), size);
  wide.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return wide;
}
