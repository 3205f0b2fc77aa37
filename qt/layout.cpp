#include "layout.h"

namespace tarnwick {

QRect GeometryOf(const app::TwipRect &rect)
{
    return {Twips(rect.left), Twips(rect.top), Twips(rect.width), Twips(rect.height)};
}

QSize ClientSize()
{
    return {Twips(app::kClientWidth), Twips(app::kClientHeight)};
}

} // namespace tarnwick
