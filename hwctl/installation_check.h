#pragma once

#include <string>
#include <vector>

#include "hwctl/configuration_check.h"
#include "platform/installed_service.h"
#include "platform/request_client.h"
#include "settings/registry_access.h"

// hwctl check on the PC itself: besides the configuration, the installation it finds. The service
// must be installed as its own process, started automatically, as LocalSystem; restarted by
// Windows after every failure, a failed start included (the failure-actions flag); listed for Safe
// Mode, with and without networking; and running and answering "status" on its pipe.

// What "where" holds for the installation's findings.
inline constexpr char kServiceWhere[] = "Hourwarden service";

struct InstallationFindings {
  std::vector<Problem> problems;
  std::vector<Problem> warnings;
  std::string summary;  // one line: what the service is and does now
};

// The findings of the service as the service control manager has it, the Safe Mode entries of the
// registry and the pipe's answer to "status" (asked only while the service runs).
InstallationFindings CheckInstallation(const InstalledService& service, RegistryAccess& registry,
                                       RequestClient& client);
