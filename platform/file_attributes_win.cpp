#include "platform/file_attributes_win.h"

#include <windows.h>

#include "platform/wide_text_win.h"

std::optional<uint32_t> WindowsFileAttributes::Get(const std::string& path) const {
  const DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

bool WindowsFileAttributes::Set(const std::string& path, uint32_t attributes) {
  return SetFileAttributesW(WideFromUtf8(path).c_str(), attributes) != 0;
}
