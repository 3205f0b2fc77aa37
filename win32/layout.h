#pragma once

// The design (app/window_design.h) at the window's DPI: the window's size, every control's place and font, the
// tooltip's, and the list views' column widths. Done when the window is made and again when it moves to a screen
// of another DPI.

#include "design_fonts.h"

#include "app/window_design.h"

#include <windows.h>

#include <functional>
#include <vector>

namespace tarnwick::win32 {

// Where a control goes in the client area, in pixels. A drop-down list's rectangle takes in the list it drops.
RECT ControlRect(const app::ControlDesign &design, int dpi);

// Sizes the window to the design's client area and places every control with its font; the tooltip takes the
// window's own font.
void LayOut(HWND window, DWORD style, DWORD exStyle, const std::function<HWND(app::Control)> &control, HWND tooltip,
            const DesignFonts &fonts, int dpi);

// Makes a list view's columns, or sets the widths of those it has, from their widths in twips.
void SetColumns(HWND list, const std::vector<app::Column> &columns, int dpi);
void ScaleColumns(HWND list, const std::vector<app::Column> &columns, int dpi);

} // namespace tarnwick::win32
