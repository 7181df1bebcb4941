#include "core/BrimPanelPlacement.h"

#include <algorithm>

QPoint BrimPanelPlacement::topLeft(const QRect &anchor, const QSize &size, const QRect &available)
{
    const QPoint centre = anchor.center();
    int x = centre.x() - size.width() / 2;
    int y = centre.y() < available.center().y() ? anchor.bottom() + 1 + gap : anchor.top() - gap - size.height();
    // std::clamp would be undefined for a panel larger than the area: the
    // top-left bound wins then.
    x = std::max(available.left(), std::min(x, available.right() + 1 - size.width()));
    y = std::max(available.top(), std::min(y, available.bottom() + 1 - size.height()));
    return {x, y};
}
