#include "platform/ansi_text_win.h"

#include <windows.h>

#include <algorithm>
#include <climits>

std::string ToAnsiText(std::wstring_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  // Every ANSI code page of Windows keeps ASCII as it is: the names of nearly every executable,
  // which the census converts on every tick, need no call.
  if (std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; })) {
    std::string ascii(text.size(), '\0');
    std::transform(text.begin(), text.end(), ascii.begin(), [](wchar_t c) { return static_cast<char>(c); });
    return ascii;
  }
  // With an explicit length the call neither reads nor writes a terminating null; asked with no
  // buffer, it gives the bytes the text needs.
  const int wide = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string ansi(static_cast<size_t>(size), '\0');
  const int written = WideCharToMultiByte(CP_ACP, 0, text.data(), wide, ansi.data(), size, nullptr, nullptr);
  ansi.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return ansi;
}
