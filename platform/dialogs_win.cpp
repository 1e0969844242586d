#include "platform/dialogs_win.h"

#include <windows.h>

void WindowsDialogs::ShowInformation(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), "Information", MB_OK | MB_ICONINFORMATION);
}

void WindowsDialogs::ShowError(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), "Error", MB_OK | MB_ICONERROR);
}
