#pragma once

#include <windows.h>

#include "base/screen_scale.h"

// The one font family of the programs' windows: the system's message font (the one of message
// boxes, as the user or the display's scale sets it), in the sizes of one scale, at the dots per
// inch of the monitor a window is on.
enum class FontSize { kText, kLarge };

// A new font of the given size for a window at dpi, which the caller deletes; the stock GUI font
// when the system's cannot be read (never to be deleted: DeleteObject ignores stock objects).
HFONT CreateMessageFont(FontSize size, int dpi);
// The dots per inch the window is drawn at: its monitor's where Windows tells it (Windows 10
// 1607 on), else the system's; the system's for no window.
int WindowDpi(HWND window);
// Takes the place and size Windows suggests with WM_DPICHANGED (whose lParam points at it), when
// the window moved to a monitor of another scale or the scale changed.
void MoveToSuggestedBounds(HWND window, LPARAM dpiChangedLParam);
// Moves the child control to its place in the client area.
void PlaceControl(HWND control, const Box& box);
