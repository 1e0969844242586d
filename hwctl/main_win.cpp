// hwctl.exe: the console configuration tool. Builds the Windows platform and hands the command
// line to the portable commands.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "hwctl/commands.h"
#include "parentcode/more_time_protocol.h"
#include "platform/clock_win.h"
#include "platform/folder_access_win.h"
#include "platform/installed_service_win.h"
#include "platform/pipe_client_win.h"
#include "platform/random_source_win.h"
#include "platform/time_zones_win.h"
#include "settings/key_security_win.h"
#include "settings/registry_access_win.h"

namespace {

constexpr UINT kUtf8CodePage = 65001;

// The session the service runs in: 0, unless a test under Wine (where every program runs in
// session 1) names another in HOURWARDEN_SERVICES_SESSION_FOR_TESTING. The pipe's server must be
// the service's own process all the same.
uint32_t ServicesSession() {
  const char* forTesting = std::getenv("HOURWARDEN_SERVICES_SESSION_FOR_TESTING");
  return forTesting != nullptr ? static_cast<uint32_t>(std::strtoul(forTesting, nullptr, 10)) : kServicesSession;
}

}  // namespace

int main(int argc, char** argv) {
  WindowsClock clock;
  WindowsFolderAccessSource folders;
  WindowsTimeZones zones;
  HwctlPlatform platform;
  platform.openRegistry = [] { return OpenWindowsRegistry(); };
  platform.clock = &clock;
  platform.folderAccess = &folders;
  platform.timeZones = &zones;
  CngRandomSource random;
  WindowsKeySecurity keySecurity;
  platform.random = &random;
  platform.keySecurity = &keySecurity;
  char computer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD computerLength = sizeof computer;
  if (GetComputerNameA(computer, &computerLength)) platform.computerName.assign(computer, computerLength);
  // The console shows bytes in its output code page: UTF-8, or an OEM page with the block
  // characters at 0xDB, 0xDF and 0xDC.
  platform.qrGlyphs = GetConsoleOutputCP() == kUtf8CodePage ? Utf8QrGlyphs() : OemQrGlyphs();
  WindowsInstalledServiceSource services;
  PipeRequestClient serviceClient(kMoreTimePipeName, kServiceName, services, ServicesSession());
  platform.services = &services;
  platform.serviceClient = &serviceClient;

  const CommandResult result = RunHwctl(std::vector<std::string>(argv + 1, argv + argc), platform);
  std::fputs(result.output.c_str(), stdout);
  if (!result.error.empty()) std::fprintf(stderr, "%s\n", result.error.c_str());
  return result.exitCode;
}
