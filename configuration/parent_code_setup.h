#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "configuration/validation.h"
#include "platform/random_source.h"
#include "settings/key_security.h"
#include "settings/registry_access.h"

// Setting up the parent's code and turning it off, for hwctl and the settings window: the secret
// made from the system's random bytes and written into a key kept from everyone but LocalSystem
// and the administrators, and the address the phone's authenticator app takes it from.

struct ParentCodeSetup {
  std::string base32;     // the secret, as the phone's app is given it
  std::string address;    // the otpauth:// address of the secret for this computer
  bool replaced = false;  // an earlier code was set up, and no longer works
};

// Makes a new secret and writes it; refused (and nothing written) when no random bytes can be
// had, or the key cannot be made and seen to be kept from other users, or cannot be opened.
Checked<ParentCodeSetup> SetUpParentCode(RegistryAccess& registry, const RandomSource& random,
                                         const KeySecurity& security, const std::string& computerName);
// Deletes the key of the secret: no code is accepted any more. Why it could not be deleted, or
// nothing (also when no code was set up).
std::optional<std::string> TurnParentCodeOff(RegistryAccess& registry);
bool ParentCodeIsSetUp(RegistryAccess& registry);

// The otpauth:// address an authenticator app takes the secret (Base32) from, for the computer.
std::string AuthenticatorUri(const std::string& computerName, const std::string& base32Secret);

// The minutes one code gives: a whole number from 1 to 1440.
Checked<int> CodeMinutesOfArgument(std::string_view text);
// The most minutes a day by code: a whole number from 0 (none) to 1440.
Checked<int> CodeMaximumOfArgument(std::string_view text);

// Writes an account's CodeMinutes into its open key (the key stays open). An earlier version's
// record there, which counted the minutes given in CodeMinutes, first moves them to CodeGiven.
// Why it failed, or nothing.
std::optional<std::string> WriteUserCodeMinutes(RegistryAccess& registry, int minutes);
