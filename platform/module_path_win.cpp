#include "platform/module_path_win.h"

#include <windows.h>

#include "base/date_time.h"
#include "platform/wide_text_win.h"

std::string ExecutablePath() {
  // The longest path the wide calls allow; a path cut short at the room's end is not used.
  std::wstring path(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return {};
  return Utf8FromWide({path.data(), length});
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
