#pragma once

#include <string>

// Title of the companion tool's window, which an uninstall asks to close.
inline constexpr char kCompanionWindowTitle[] = "Hourwarden - User loggoff tool";

// The top-level window of the companion tool in a user's session.
class CompanionWindow {
 public:
  virtual ~CompanionWindow() = default;
  // Looks for a top-level window with exactly this title (any class) and, when there is one,
  // sends it WM_CLOSE and waits for it to be handled. True when a window was found.
  virtual bool CloseWindowTitled(const std::string& title) = 0;
};
