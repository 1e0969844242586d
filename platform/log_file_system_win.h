#pragma once

#include <string>

#include "platform/log_file_system.h"

// The service's own log folder on this machine: Hourwarden\Logs\ under ProgramData.
std::string DefaultServiceLogFolder();
