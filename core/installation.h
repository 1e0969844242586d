#pragma once

#include <cstdint>

// What an installation of the service holds besides the configuration, as /install and the
// installer package make it and as hwctl check expects to find it.

// A crashed service is restarted after 10 s; the failure count starts again after a day.
inline constexpr uint32_t kRestartDelayMs = 10'000;
inline constexpr uint32_t kFailureResetSeconds = 86'400;

// The entries that let the service start in Safe Mode (HKEY_LOCAL_MACHINE), with and without
// networking: keys named after the service whose default value is "Service".
inline constexpr char kSafeModeMinimalKey[] = "\\SYSTEM\\CurrentControlSet\\Control\\SafeBoot\\Minimal\\Hourwarden\\";
inline constexpr char kSafeModeNetworkKey[] = "\\SYSTEM\\CurrentControlSet\\Control\\SafeBoot\\Network\\Hourwarden\\";
inline constexpr char kSafeModeEntryValue[] = "Service";
