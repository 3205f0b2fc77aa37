#include "design_fonts.h"

#include "dpi.h"
#include "text.h"

namespace tarnwick::win32 {

DesignFonts::DesignFonts(int dpi)
{
    for (const app::FontRole role : {app::FontRole::Window, app::FontRole::PushButton, app::FontRole::Control}) {
        const app::FontDesign design = app::FontOf(role);
        m_fonts[static_cast<std::size_t>(role)] =
            ::CreateFontW(FontHeight(design.centipoints, dpi), 0, 0, 0, design.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                          FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                          DEFAULT_PITCH | FF_SWISS, Wide(design.face).c_str());
    }
}

DesignFonts::~DesignFonts()
{
    for (HFONT font : m_fonts)
        if (font != nullptr)
            ::DeleteObject(font);
}

} // namespace tarnwick::win32
