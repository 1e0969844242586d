#pragma once

#include "platform/file_attributes.h"

class WindowsFileAttributes : public FileAttributes {
 public:
  std::optional<uint32_t> Get(const std::string& path) const override;
  bool Set(const std::string& path, uint32_t attributes) override;
};
