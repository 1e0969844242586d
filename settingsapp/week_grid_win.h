#pragma once

#include <windows.h>

#include "settingsapp/week_grid.h"

// The week grid as a control of its own: draws a WeekGrid (days down, quarter hours across),
// paints or erases the cells of a mouse drag, and takes the keyboard (arrows move the cursor,
// space switches the quarter hour under it). It tells its parent of every change with a
// WM_COMMAND of kWeekGridChanged; the grid it shows belongs to the parent.

inline constexpr WORD kWeekGridChanged = 1;

class WeekGridControl {
 public:
  // Creates the control as a tab stop of the parent.
  bool Create(HWND parent, int id, int x, int y, int width, int height);
  HWND Handle() const { return window_; }
  // The grid to show and edit, nothing for none (an account not limited).
  void Show(WeekGrid* grid);
  // The size of the control at the given dots per inch.
  static SIZE Size(int dpi);
  void SetDpi(int dpi) { dpi_ = dpi; }
  void SetFont(HFONT font) { font_ = font; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc) const;
  // The cell under the point, clamped into the grid.
  POINT CellAt(int x, int y) const;
  void DragTo(POINT cell);
  void Changed();
  int Px(int pixels) const { return MulDiv(pixels, dpi_, 96); }

  HWND window_ = nullptr;
  WeekGrid* grid_ = nullptr;
  HFONT font_ = nullptr;
  int dpi_ = 96;
  POINT cursor_{0, 32};  // x: quarter, y: day
  bool dragging_ = false;
  bool dragPaints_ = true;
  POINT anchor_{};
  WeekGrid beforeDrag_;
};
