#pragma once

// The design's fonts (app/window_design.h) at a DPI, as GDI fonts.

#include "app/window_design.h"

#include <windows.h>

#include <array>

namespace tarnwick::win32 {

// One font of each role at one DPI; they live as long as this object, and the controls that were given them must
// be given new ones before it goes.
class DesignFonts
{
public:
    explicit DesignFonts(int dpi);
    ~DesignFonts();
    DesignFonts(const DesignFonts &) = delete;
    DesignFonts &operator=(const DesignFonts &) = delete;

    HFONT operator[](app::FontRole role) const { return m_fonts[static_cast<std::size_t>(role)]; }

private:
    std::array<HFONT, 3> m_fonts {};
};

} // namespace tarnwick::win32
