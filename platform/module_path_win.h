#pragma once

#include <string>

// The full path of the running executable, and its file name alone.
std::string ExecutablePath();
std::string ExecutableFileName();
