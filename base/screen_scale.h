#pragma once

// The arithmetic of a window drawn for 96 dots per inch and shown at another scale (150 %, or a
// monitor of another scale the window moves to), shared by the programs' windows.

inline constexpr int kBaseDpi = 96;

// A control's place in its window's client area, in pixels.
struct Box {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool operator==(const Box&) const = default;
};

// Pixels of the 96-dpi layout at dpi, rounded to the nearest; a dpi below 1 is taken as 96.
int ScaledToDpi(int pixels, int dpi);
// A font height (as LOGFONT keeps it, negative for the height of the characters) read at one dpi,
// at another.
int FontHeightAtDpi(int height, int fromDpi, int toDpi);
