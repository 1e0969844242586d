#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// A fresh directory under the system's temporary directory, removed with the object.
class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("hourwarden-test-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
             "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  // The directory with a trailing separator, ready to be used as AppPath.
  std::string Prefix() const { return path_.string() + static_cast<char>(std::filesystem::path::preferred_separator); }
  std::string File(const std::string& name) const { return Prefix() + name; }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The bytes of a file, or an empty text when it cannot be read.
inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// The line end that text-mode files get on this platform.
inline constexpr const char* kNativeLineEnd =
#ifdef _WIN32
    "\r\n";
#else
    "\n";
#endif
