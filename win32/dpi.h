#pragma once

// The window's design is in twips and points; the screen is in pixels at the window's DPI.

#include <windows.h>

namespace tarnwick::win32 {

// 1440 twips to the inch: 15 twips a pixel at 96 dpi.
int TwipsToPixels(int twips, int dpi);
// The font height (negative: the character height) of a size in hundredths of a point.
int FontHeight(int centipoints, int dpi);

// The DPI the window is drawn at (the system's where the platform has no per-window DPI).
int DpiOf(HWND window);
// The window rectangle around a client area of the given size, at the given DPI.
RECT WindowRectFor(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);

} // namespace tarnwick::win32
