#include "settingsapp/settings_controls_win.h"

#include <commctrl.h>

#include "platform/wide_text_win.h"
#include "platform/win_error.h"

void ReportFailure(const char* call) { OutputDebugStringA(DescribeWindowsFailure(call, GetLastError()).c_str()); }

HWND Child(HWND parent, const wchar_t* windowClass, const std::string& text, DWORD style, int id, DWORD exStyle) {
  HWND child = CreateWindowExW(exStyle, windowClass, WideFromUtf8(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0,
                               0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
  if (child == nullptr) ReportFailure("CreateWindowExW");
  return child;
}

std::string TextOf(HWND control) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return Utf8FromWide(text);
}

void SetText(HWND control, const std::string& text) { SetWindowTextW(control, WideFromUtf8(text).c_str()); }

void SetItemText(HWND list, int item, int column, const std::string& text) {
  std::wstring wide = WideFromUtf8(text);
  LVITEMW subItem{};
  subItem.iSubItem = column;
  subItem.pszText = wide.data();
  SendMessageW(list, LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&subItem));
}

void ShowRefusalAt(HWND edit, const std::string& rule) {
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  const std::wstring text = WideFromUtf8(rule);
  EDITBALLOONTIP balloon{sizeof balloon, L"Not saved", text.c_str(), TTI_ERROR};
  SendMessageW(edit, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&balloon));
}

bool IsChecked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
