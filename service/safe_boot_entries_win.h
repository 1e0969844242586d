#pragma once

#include "service/service_installer.h"

// The Safe Mode lists of services in the registry of HKEY_LOCAL_MACHINE.
class WindowsSafeBootEntries : public SafeBootEntries {
 public:
  uint32_t Add(const std::string& service) override;
  uint32_t Remove(const std::string& service) override;
};
