#include "platform/file_attributes_win.h"

#include <windows.h>

std::optional<uint32_t> WindowsFileAttributes::Get(const std::string& path) const {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

bool WindowsFileAttributes::Set(const std::string& path, uint32_t attributes) {
  return SetFileAttributesA(path.c_str(), attributes) != 0;
}
