#pragma once

#include <windows.h>

#include "settingsapp/usage_today.h"

// The bar chart of the minutes used a day over the last 28 days, as a control of its own: one bar
// a day, today at the right, each day's allowance marked by a line across its bar, and the days
// counted ahead of today apart at the far right in another colour. It only draws.
class UsageChartControl {
 public:
  bool Create(HWND parent, int id);
  HWND Handle() const { return window_; }
  void Show(const UsageChart& chart);
  void SetDpi(int dpi) { dpi_ = dpi; }
  void SetFont(HFONT font) { font_ = font; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc) const;
  int Px(int pixels) const { return MulDiv(pixels, dpi_, 96); }

  HWND window_ = nullptr;
  UsageChart chart_;
  HFONT font_ = nullptr;
  int dpi_ = 96;
};
