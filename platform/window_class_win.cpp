#include "platform/window_class_win.h"

#include "platform/win_error.h"

bool RegisterToolWindowClass(const wchar_t* className, WNDPROC windowProc, int backgroundColor) {
  WNDCLASSW windowClass{};
  if (GetClassInfoW(GetModuleHandleW(nullptr), className, &windowClass)) return true;
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(backgroundColor + 1));
  windowClass.lpszClassName = className;
  if (RegisterClassW(&windowClass) != 0) return true;
  OutputDebugStringA(DescribeWindowsFailure("RegisterClassW", GetLastError()).c_str());
  return false;
}

void FillColour(HDC dc, const RECT& rect, COLORREF colour) {
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}
