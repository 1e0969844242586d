#pragma once

#include <windows.h>

// The one font family of the programs' windows: the system's message font (the one of message boxes,
// as the user or the display's scale sets it), in the sizes of one scale.
enum class FontSize { kText, kLarge };

// A new font of the given size, which the caller deletes; the stock GUI font when the system's
// cannot be read (never to be deleted: DeleteObject ignores stock objects).
HFONT CreateMessageFont(FontSize size);
// The pixels of a layout drawn for 96 dots per inch, at the screen's dots per inch.
int ScaledPixels(int pixels);
