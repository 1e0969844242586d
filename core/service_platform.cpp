#include "core/service_platform.h"

std::vector<std::string> MissingRequiredSeams(const ServicePlatform& platform) {
  const struct {
    const char* name;
    bool present;
  } seams[] = {
      {"clock", platform.clock != nullptr},
      {"regionalFormat", platform.regionalFormat != nullptr},
      {"fileAttributes", platform.fileAttributes != nullptr},
      {"logFileSystem", platform.logFileSystem != nullptr},
      {"processSource", platform.processSource != nullptr},
      {"makeTimer", static_cast<bool>(platform.makeTimer)},
      {"openRegistry", static_cast<bool>(platform.openRegistry)},
      {"timePageFetcher", platform.timePageFetcher != nullptr},
      {"runWorker", static_cast<bool>(platform.runWorker)},
      {"systemClockSetter", platform.systemClockSetter != nullptr},
      {"accountControl", platform.accountControl != nullptr},
      {"sessionControl", platform.sessionControl != nullptr},
      {"reportException", static_cast<bool>(platform.reportException)},
      {"hmac", platform.hmac != nullptr},
  };
  std::vector<std::string> missing;
  for (const auto& seam : seams)
    if (!seam.present) missing.push_back(seam.name);
  return missing;
}
