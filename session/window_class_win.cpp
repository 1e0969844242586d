#include "session/window_class_win.h"

#include "session/session_log_win.h"

bool RegisterToolWindowClass(const wchar_t* className, WNDPROC windowProc, int backgroundColor) {
  WNDCLASSW windowClass{};
  if (GetClassInfoW(GetModuleHandleW(nullptr), className, &windowClass)) return true;
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(backgroundColor + 1));
  windowClass.lpszClassName = className;
  if (RegisterClassW(&windowClass) != 0) return true;
  ReportFailedCall("RegisterClassW", GetLastError());
  return false;
}
