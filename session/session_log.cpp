#include "session/session_log.h"

#include <fstream>
#include <system_error>

bool AppendBoundedLogLine(const std::filesystem::path& file, const std::string& line, uintmax_t limit) {
  const std::string entry = line + "\r\n";
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(file, error);
  if (!error && size + entry.size() > limit) {
    std::filesystem::path old = file;
    old += ".old";
    std::filesystem::remove(old, error);  // not every library's rename replaces a file on Windows
    std::filesystem::rename(file, old, error);
    if (error) return false;  // a file that cannot be set aside is not grown past its limit
  }
  std::ofstream out(file, std::ios::binary | std::ios::app);
  out << entry;
  out.flush();
  return static_cast<bool>(out);
}
