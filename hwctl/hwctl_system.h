#pragma once

#include <string>

#include "parentcode/qr_code.h"
#include "platform/folder_access.h"
#include "platform/clock.h"
#include "platform/installed_service.h"
#include "platform/local_accounts.h"
#include "platform/request_client.h"
#include "platform/time_zones.h"
#include "platform/random_source.h"
#include "settings/key_security.h"
#include "settings/registry_access.h"

// The system a command works on: the computer's registry, clock, time zones, folder permissions,
// accounts and installed service in hwctl.exe; the in-memory registry and fakes in the tests.
struct HwctlSystem {
  RegistryOpener openRegistry;
  const Clock* clock = nullptr;
  const FolderAccessSource* folderAccess = nullptr;
  const TimeZones* timeZones = nullptr;
  // The parent's code: its secret's random bytes and key, the computer's name for the
  // authenticator app, and how the console draws the QR code of its address.
  const RandomSource* random = nullptr;
  const KeySecurity* keySecurity = nullptr;
  std::string computerName;
  QrGlyphs qrGlyphs = Utf8QrGlyphs();
  // The computer's accounts, which add resolves a name against and check compares the keys with;
  // none where they cannot be listed.
  const LocalAccountSource* accounts = nullptr;
  // The installed service for check: as the service control manager has it, and its pipe.
  const InstalledServiceSource* services = nullptr;
  RequestClient* serviceClient = nullptr;
};
