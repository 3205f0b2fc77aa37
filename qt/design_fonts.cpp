#include "design_fonts.h"

namespace tarnwick {

QFont DesignFont(app::FontRole role)
{
    const app::FontDesign design = app::FontOf(role);
    QFont font(QString::fromUtf8(design.face.data(), static_cast<qsizetype>(design.face.size())));
    font.setPointSizeF(design.centipoints / 100.0);
    font.setBold(design.bold);
    return font;
}

} // namespace tarnwick
