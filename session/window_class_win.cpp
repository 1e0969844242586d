#include "session/window_class_win.h"

#include "platform/win_error.h"

bool RegisterToolWindowClass(const char* className, WNDPROC windowProc, int backgroundColor) {
  WNDCLASSA windowClass{};
  if (GetClassInfoA(GetModuleHandleA(nullptr), className, &windowClass)) return true;
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(backgroundColor + 1));
  windowClass.lpszClassName = className;
  if (RegisterClassA(&windowClass) != 0) return true;
  OutputDebugStringA(DescribeWindowsFailure("RegisterClassA", GetLastError()).c_str());
  return false;
}
