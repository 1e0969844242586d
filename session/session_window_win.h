#pragma once

#include <string>

#include "session/session_options.h"

// Runs the tool in the user's session: a hidden top-level window titled as the service's uninstall
// expects, a timer that drives the tool, and the message loop, until the window is closed
// (WM_CLOSE) or the session ends. Returns the process's exit code.
int RunSessionWindow(const std::string& userName, const SessionCommandLine& commandLine);
