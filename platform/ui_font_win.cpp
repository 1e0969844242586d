#include "platform/ui_font_win.h"

#include "platform/win_error.h"

namespace {

// GetDpiForWindow and SystemParametersInfoForDpi came with Windows 10 1607: they are looked up in
// user32.dll at run time, so that the tool still starts on older Windows and takes the system's
// dots per inch there.
using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using SystemParametersInfoForDpiCall = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

template <typename Call>
Call User32Call(const char* name) {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 == nullptr ? nullptr : reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : kBaseDpi;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kBaseDpi;
}

// The system's message font at dpi: as Windows scales it for that dpi, or the one of the system's
// dpi scaled where Windows cannot.
bool ReadMessageFont(int dpi, LOGFONTW& font) {
  static const auto forDpi = User32Call<SystemParametersInfoForDpiCall>("SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (forDpi != nullptr && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi))) {
    font = metrics.lfMessageFont;
    return true;
  }
  if (forDpi != nullptr)
    OutputDebugStringA(DescribeWindowsFailure("SystemParametersInfoForDpi", GetLastError()).c_str());
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    OutputDebugStringA(DescribeWindowsFailure("SystemParametersInfoW", GetLastError()).c_str());
    return false;
  }
  font = metrics.lfMessageFont;
  font.lfHeight = FontHeightAtDpi(font.lfHeight, SystemDpi(), dpi);
  return true;
}

}  // namespace

HFONT CreateMessageFont(FontSize size, int dpi) {
  LOGFONTW font{};
  if (!ReadMessageFont(dpi, font)) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  // The large size is half as large again, for the line that must be read at a glance.
  if (size == FontSize::kLarge) {
    font.lfHeight = font.lfHeight * 3 / 2;
    font.lfWeight = FW_SEMIBOLD;
  }
  HFONT created = CreateFontIndirectW(&font);
  return created != nullptr ? created : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int WindowDpi(HWND window) {
  static const auto getDpiForWindow = User32Call<GetDpiForWindowCall>("GetDpiForWindow");
  if (window != nullptr && getDpiForWindow != nullptr)
    if (const UINT dpi = getDpiForWindow(window); dpi > 0) return static_cast<int>(dpi);
  return SystemDpi();
}

void PlaceControl(HWND control, const Box& box) {
  if (control != nullptr) MoveWindow(control, box.x, box.y, box.width, box.height, TRUE);
}

void MoveToSuggestedBounds(HWND window, LPARAM dpiChangedLParam) {
  const auto* suggested = reinterpret_cast<const RECT*>(dpiChangedLParam);
  SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
               suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}
