#pragma once

#include <string>

// The full path of the running executable, and its file name alone.
std::string ExecutablePath();
std::string ExecutableFileName();
// When the running executable was linked, as the linker stamped its header: UTC, days since
// 1899-12-30; 0 when the header carries no stamp.
double ExecutableBuildTimeUtc();
