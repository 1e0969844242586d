#pragma once

#include <cstdint>
#include <optional>
#include <string>

constexpr uint32_t kFileAttributeReadOnly = 0x1;
constexpr uint32_t kFileAttributeHidden = 0x2;
constexpr uint32_t kFileAttributeNormal = 0x80;

// File attributes of the log files (the hidden bit).
class FileAttributes {
 public:
  virtual ~FileAttributes() = default;
  // The file's attributes, or nothing when they cannot be read.
  virtual std::optional<uint32_t> Get(const std::string& path) const = 0;
  // Sets the file's attributes; true on success.
  virtual bool Set(const std::string& path, uint32_t attributes) = 0;
};
