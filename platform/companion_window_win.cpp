#include "platform/companion_window_win.h"

#include <windows.h>

bool WindowsCompanionWindow::CloseWindowTitled(const std::string& title) {
  HWND window = FindWindowA(nullptr, title.c_str());
  if (window == nullptr) return false;
  SendMessageA(window, WM_CLOSE, 0, 0);  // the result is not examined
  return true;
}
