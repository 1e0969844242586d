#include "platform/module_path_win.h"

#include <windows.h>

#include "platform/date_time.h"

std::string ExecutablePath() {
  char path[MAX_PATH * 2];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, length);
}

std::string ExecutableFileName() {
  const std::string path = ExecutablePath();
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

double ExecutableBuildTimeUtc() {
  // The loaded image starts with its DOS header, which leads to the PE headers and their link
  // time, in seconds since 1970-01-01 UTC.
  const auto* image = reinterpret_cast<const BYTE*>(GetModuleHandleA(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return 0;
  const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
  if (headers->Signature != IMAGE_NT_SIGNATURE || headers->FileHeader.TimeDateStamp == 0) return 0;
  return EncodeDateTime({1970, 1, 1, 0, 0, 0, 0}) + headers->FileHeader.TimeDateStamp / 86400.0;
}
