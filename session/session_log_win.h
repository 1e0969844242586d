#pragma once

#include <string>

// Writes a failure of the session tool to the debugger's output and, stamped with the local time,
// to the tool's own log in the user's temporary folder (session/session_log.h).
void ReportSessionFailure(const std::string& text);
// The same for a failed Windows call, named with its error code.
void ReportFailedCall(const char* call, unsigned long code);
