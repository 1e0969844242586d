#include "platform/dialogs_win.h"

#include <windows.h>

#include "platform/wide_text_win.h"

void WindowsDialogs::ShowInformation(const std::string& text) {
  MessageBoxW(nullptr, WideFromUtf8(text).c_str(), L"Information", MB_OK | MB_ICONINFORMATION);
}

void WindowsDialogs::ShowError(const std::string& text) {
  MessageBoxW(nullptr, WideFromUtf8(text).c_str(), L"Error", MB_OK | MB_ICONERROR);
}
