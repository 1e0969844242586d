#pragma once

#include <cstdint>
#include <string>

// What an installation of the service holds besides the configuration, as /install and the
// installer package make it and as hwctl check expects to find it.

// The service's name in the service control manager.
inline constexpr char kServiceName[] = "Hourwarden";

// A crashed service is restarted after 10 s; the failure count starts again after a day.
inline constexpr uint32_t kRestartDelayMs = 10'000;
inline constexpr uint32_t kFailureResetSeconds = 86'400;

// The lists of services that Windows starts in Safe Mode (HKEY_LOCAL_MACHINE), without and with
// networking. A service is listed by a key named after it whose default value is "Service".
inline constexpr char kSafeModeMinimalList[] = "\\SYSTEM\\CurrentControlSet\\Control\\SafeBoot\\Minimal\\";
inline constexpr char kSafeModeNetworkList[] = "\\SYSTEM\\CurrentControlSet\\Control\\SafeBoot\\Network\\";
inline constexpr char kSafeModeEntryValue[] = "Service";

// The key that lists the service in one of the Safe Mode lists, written as the lists are.
inline std::string SafeModeEntryKey(const char* list, const std::string& service) { return list + service + "\\"; }
