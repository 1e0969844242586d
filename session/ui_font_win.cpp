#include "session/ui_font_win.h"

#include "session/session_log_win.h"

HFONT CreateMessageFont(FontSize size) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    ReportFailedCall("SystemParametersInfoW", GetLastError());
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  LOGFONTW font = metrics.lfMessageFont;
  // The large size is half as large again, for the line that must be read at a glance.
  if (size == FontSize::kLarge) {
    font.lfHeight = font.lfHeight * 3 / 2;
    font.lfWeight = FW_SEMIBOLD;
  }
  HFONT created = CreateFontIndirectW(&font);
  return created != nullptr ? created : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int ScaledPixels(int pixels) {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return MulDiv(pixels, dpi > 0 ? dpi : 96, 96);
}
