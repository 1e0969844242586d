#pragma once

#include "service/service_installer.h"

// The Application log's sources in the registry of HKEY_LOCAL_MACHINE (64-bit view).
class WindowsEventSources : public EventSources {
 public:
  CallResult<> RegisterSource(const std::string& source, const std::string& messageFile) override;
  CallResult<> RemoveSource(const std::string& source) override;
};
