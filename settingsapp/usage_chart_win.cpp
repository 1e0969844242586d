#include "settingsapp/usage_chart_win.h"

#include <string>

#include "core/day_ledger.h"
#include "platform/wide_text_win.h"
#include "platform/win_error.h"
#include "platform/window_class_win.h"

namespace {

constexpr wchar_t kClassName[] = L"HourwardenUsageChart";
// The layout at 96 dots per inch.
constexpr int kLabelHeight = 18;
constexpr int kTopSpace = 18;
constexpr int kAheadGap = 24;
constexpr COLORREF kUsedColour = RGB(60, 110, 190);
constexpr COLORREF kAheadColour = RGB(230, 140, 30);
constexpr COLORREF kAllowanceColour = RGB(20, 20, 20);
constexpr COLORREF kAxisColour = RGB(120, 120, 120);

}  // namespace

bool UsageChartControl::Create(HWND parent, int id) {
  if (!RegisterToolWindowClass(kClassName, &UsageChartControl::WindowProc, COLOR_BTNFACE)) return false;
  window_ = CreateWindowExW(0, kClassName, L"Minutes used a day", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) OutputDebugStringA(DescribeWindowsFailure("CreateWindowExW", GetLastError()).c_str());
  return window_ != nullptr;
}

void UsageChartControl::Show(const UsageChart& chart) {
  chart_ = chart;
  InvalidateRect(window_, nullptr, FALSE);
}

LRESULT CALLBACK UsageChartControl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<UsageChartControl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  auto* self = reinterpret_cast<UsageChartControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr && message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    self->Paint(dc);
    EndPaint(window, &paint);
    return 0;
  }
  if (self != nullptr && message == WM_PRINTCLIENT) {
    self->Paint(reinterpret_cast<HDC>(wParam));
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(window, message, wParam, lParam);
}

void UsageChartControl::Paint(HDC dc) const {
  RECT client;
  GetClientRect(window_, &client);
  FillColour(dc, client, GetSysColor(COLOR_BTNFACE));
  HGDIOBJ oldFont = SelectObject(dc, font_ != nullptr ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  const int bars = static_cast<int>(chart_.days.size() + chart_.ahead.size());
  const int aheadGap = chart_.ahead.empty() ? 0 : Px(kAheadGap);
  const int slot = bars == 0 ? 0 : (client.right - aheadGap) / bars;
  const int bottom = client.bottom - Px(kLabelHeight);
  const int height = bottom - Px(kTopSpace);
  const int32_t scale = chart_.largest > 0 ? chart_.largest + chart_.largest / 10 : 60;
  const auto drawBar = [&](const ChartDay& day, int left, COLORREF colour, bool labelled) {
    const int barTop = bottom - MulDiv(day.minutes, height, scale);
    FillColour(dc, {left + 1, barTop, left + slot - 1, bottom}, colour);
    if (day.allowance) {
      const int line = bottom - MulDiv(*day.allowance, height, scale);
      FillColour(dc, {left, line - 1, left + slot, line + 1}, kAllowanceColour);
    }
    if (labelled) {
      // "dd.mm" under the bar: the ledger's own date text without its year.
      const std::wstring text = WideFromUtf8(LedgerDateText(day.date).substr(0, 5));
      RECT label{left - slot, bottom + Px(2), left + 2 * slot, client.bottom};
      DrawTextW(dc, text.c_str(), -1, &label, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
  };
  int left = 0;
  for (size_t i = 0; i < chart_.days.size(); ++i, left += slot)
    drawBar(chart_.days[i], left, kUsedColour, (chart_.days.size() - 1 - i) % 7 == 0);
  left += aheadGap;
  for (const ChartDay& day : chart_.ahead) {
    drawBar(day, left, kAheadColour, true);
    left += slot;
  }
  FillColour(dc, {0, bottom, client.right, bottom + 1}, kAxisColour);
  const std::wstring scaleText = std::wstring(L"Minutes used a day") +
                                 L"; a black line marks the day's allowance" +
                                 (chart_.ahead.empty() ? L"" : L"; orange: counted on days ahead of today");
  RECT caption{0, 0, client.right, Px(kTopSpace)};
  DrawTextW(dc, scaleText.c_str(), -1, &caption, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, oldFont);
}
