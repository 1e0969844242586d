#pragma once

#include "platform/installed_service.h"

// The service control manager of this computer, asked with the access every user has
// (SC_MANAGER_CONNECT; SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS on the service).
class WindowsInstalledServiceSource : public InstalledServiceSource {
 public:
  InstalledService Read(const std::string& serviceName) const override;
};
