#pragma once

#include "service/service_installer.h"

// The Safe Mode lists of services in the registry of HKEY_LOCAL_MACHINE.
class WindowsSafeBootEntries : public SafeBootEntries {
 public:
  CallResult<> Add(const std::string& service) override;
  CallResult<> Remove(const std::string& service) override;
};
