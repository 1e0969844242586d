// hwctl.exe: the console configuration tool. Builds the Windows platform and hands the command
// line to the portable commands.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "hwctl/commands.h"
#include "platform/clock_win.h"
#include "platform/folder_access_win.h"
#include "platform/random_source_win.h"
#include "platform/time_zones_win.h"
#include "settings/key_security_win.h"
#include "settings/registry_access_win.h"

constexpr UINT kUtf8CodePage = 65001;

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

  const CommandResult result = RunHwctl(std::vector<std::string>(argv + 1, argv + argc), platform);
  std::fputs(result.output.c_str(), stdout);
  if (!result.error.empty()) std::fprintf(stderr, "%s\n", result.error.c_str());
  return result.exitCode;
}
