#pragma once

#include <windows.h>

// Registers the (wide) class of one of the programs' visible windows (arrow cursor, the background of the
// system colour) unless this process has it already. False, with the failure written to the
// debugger's output, when it cannot be registered.
bool RegisterToolWindowClass(const wchar_t* className, WNDPROC windowProc, int backgroundColor);
// Fills the rectangle with one colour.
void FillColour(HDC dc, const RECT& rect, COLORREF colour);
