#pragma once

#include "session/startup_entry.h"

// The Run key of HKEY_LOCAL_MACHINE in this process's default registry view.
class WindowsStartupRegistry : public StartupRegistry {
 public:
  CallResult<> SetStartupCommand(const std::string& name, const std::string& command) override;
  CallResult<> RemoveStartupCommand(const std::string& name) override;
  std::string ErrorText(uint32_t code) override;
};
