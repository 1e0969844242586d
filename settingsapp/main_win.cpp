// Program entry of the settings window: opens it on the registry and the accounts of this computer
// and runs its messages until it closes.

#include <windows.h>

#include <commctrl.h>

#include "engine/account_control_win.h"
#include "core/installation.h"
#include "core/log_file_trust.h"
#include "parentcode/more_time_protocol.h"
#include "platform/clock_win.h"
#include "platform/folder_access_win.h"
#include "platform/installed_service_win.h"
#include "parentcode/pipe_client_win.h"
#include "platform/random_source_win.h"
#include "platform/local_accounts_win.h"
#include "platform/log_file_system_win.h"
#include "platform/regional_format_win.h"
#include "core/zone_local_time.h"
#include "platform/time_zones.h"
#include "platform/time_zones_win.h"
#include "platform/wide_text_win.h"
#include "platform/win_error.h"
#include "settings/key_security_win.h"
#include "settings/registry_access_win.h"
#include "settings/value_reads.h"
#include "settingsapp/settings_window_win.h"

int main() {
  // The list view, the tabs and the visual styles of the common controls 6 the manifest asks for.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  if (!InitCommonControlsEx(&controls))
    OutputDebugStringA(DescribeWindowsFailure("InitCommonControlsEx", GetLastError()).c_str());
  WindowsLocalAccountSource accounts;
  WindowsClock clock;
  WindowsTimeZones zones;
  // The days as the service keeps them: in the zone TimeZone names, read afresh each time.
  const auto now = [&] {
    std::unique_ptr<RegistryAccess> registry = OpenWindowsRegistry();
    std::string zone;
    if (registry->OpenKeyReadOnly(kProductKey)) zone = FindText(*registry, "TimeZone").Usable().value_or("");
    registry->CloseKey();
    return LocalNowIn(clock, &zones, zone);
  };
  WindowsAccountControl accountControl;
  WindowsRegionalFormat format;
  const std::unique_ptr<LogFileSystem> files = MakeLogFileSystem(DefaultServiceLogFolder(), LogFileDistrust);
  const auto isZone = [&](const std::string& zoneKey) {
    return zones.LocalTime(zoneKey, DecodeDateTime(clock.UtcNow())).Ok();
  };
  WindowsInstalledServiceSource services;
  PipeRequestClient service(kMoreTimePipeName, kServiceName, services);
  WindowsFolderAccessSource folders;
  CngRandomSource random;
  WindowsKeySecurity keySecurity;
  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = L"";
  DWORD computerLength = MAX_COMPUTERNAME_LENGTH + 1;
  std::string computerName;
  if (GetComputerNameW(computer, &computerLength)) computerName = Utf8FromWide({computer, computerLength});
  else OutputDebugStringA(DescribeWindowsFailure("GetComputerNameW", GetLastError()).c_str());
  SettingsWindow window([] { return OpenWindowsRegistry(); }, accounts, accountControl, *files, format, now, isZone,
                        service, {random, keySecurity, computerName}, folders);
  if (!window.Open(SW_SHOWDEFAULT)) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Tab, Shift+Tab, Enter and Escape move between the controls and press OK or Cancel.
    if (window.Handle() != nullptr && IsDialogMessageW(window.Handle(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
