#pragma once

// The product's version, "1.0.0", set once in the top CMakeLists.txt (project VERSION).
inline constexpr char kHourwardenVersion[] = HOURWARDEN_VERSION;
