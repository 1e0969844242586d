// hwctl.exe: the console configuration tool. Builds the Windows system the commands work on and
// hands the command line to the portable commands.

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "hwctl/commands.h"
#include "hwctl/line_wrap.h"
#include "parentcode/more_time_protocol.h"
#include "platform/clock_win.h"
#include "platform/folder_access_win.h"
#include "platform/installed_service_win.h"
#include "platform/local_memory_win.h"
#include "platform/local_accounts_win.h"
#include "parentcode/pipe_client_win.h"
#include "platform/random_source_win.h"
#include "platform/time_zones_win.h"
#include "platform/wide_text_win.h"
#include "settings/key_security_win.h"
#include "settings/registry_access_win.h"

namespace {

// The session the service runs in: 0, unless a test under Wine (where every program runs in
// session 1) names another in HOURWARDEN_SERVICES_SESSION_FOR_TESTING. The pipe's server must be
// the service's own process all the same.
uint32_t ServicesSession() {
  const char* forTesting = std::getenv("HOURWARDEN_SERVICES_SESSION_FOR_TESTING");
  return forTesting != nullptr ? static_cast<uint32_t>(std::strtoul(forTesting, nullptr, 10)) : kServicesSession;
}

// The words of the command line in UTF-8, from its UTF-16 form: the narrow argv holds them in the
// ANSI code page, where a name in another alphabet has turned into question marks.
std::vector<std::string> Arguments() {
  std::vector<std::string> arguments;
  int count = 0;
  LocalMemory words(CommandLineToArgvW(GetCommandLineW(), &count));
  if (!words) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8FromWide(words.Get<wchar_t*>()[i]));
  return arguments;
}

// Writes the UTF-8 text to a console in UTF-16, which shows every alphabet whatever the console's
// code page; to a file or a pipe as the UTF-8 bytes themselves, without a byte-order mark.
void WriteText(DWORD which, const std::string& text) {
  const HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) return;
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    const std::wstring wide = WideFromUtf8(text);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  for (size_t done = 0; done < text.size();) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1 << 20));
    if (!WriteFile(handle, text.data() + done, chunk, &written, nullptr) || written == 0) return;
    done += written;
  }
}

}  // namespace

int main() {
  WindowsClock clock;
  WindowsFolderAccessSource folders;
  WindowsTimeZones zones;
  HwctlSystem system;
  system.openRegistry = [] { return OpenWindowsRegistry(); };
  system.clock = &clock;
  system.folderAccess = &folders;
  system.timeZones = &zones;
  CngRandomSource random;
  WindowsKeySecurity keySecurity;
  system.random = &random;
  system.keySecurity = &keySecurity;
  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = L"";
  DWORD computerLength = std::size(computer);
  if (GetComputerNameW(computer, &computerLength)) system.computerName = Utf8FromWide({computer, computerLength});
  // WriteText shows the block characters of the QR code in any console.
  system.qrGlyphs = Utf8QrGlyphs();
  WindowsLocalAccountSource accounts;
  system.accounts = &accounts;
  WindowsInstalledServiceSource services;
  PipeRequestClient serviceClient(kMoreTimePipeName, kServiceName, services, ServicesSession());
  system.services = &services;
  system.serviceClient = &serviceClient;

  const CommandResult result = RunHwctl(Arguments(), system);
  WriteText(STD_OUTPUT_HANDLE, WrapLines(result.output));
  if (!result.error.empty()) WriteText(STD_ERROR_HANDLE, WrapLines(result.error + "\n"));
  return result.exitCode;
}
