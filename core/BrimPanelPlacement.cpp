#include "core/BrimPanelPlacement.h"

#include <algorithm>

namespace {

QPoint besidePoint(const QPoint &point, const QSize &size, const QRect &available)
{
    constexpr int reach = BrimPanelPlacement::iconExtent + BrimPanelPlacement::gap;
    const int fromLeft = point.x() - available.left(), fromRight = available.right() - point.x();
    const int fromTop = point.y() - available.top(), fromBottom = available.bottom() - point.y();
    const bool sideBar = std::min(fromLeft, fromRight) < BrimPanelPlacement::iconExtent
        && std::min(fromTop, fromBottom) >= BrimPanelPlacement::iconExtent;
    if (sideBar) {
        const int x = fromLeft < fromRight ? point.x() + reach : point.x() - reach - size.width() + 1;
        return {x, point.y() - size.height() / 2};
    }
    const int y = point.y() < available.center().y() ? point.y() + reach : point.y() - reach - size.height() + 1;
    return {point.x() - size.width() / 2, y};
}

} // namespace

QPoint BrimPanelPlacement::topLeft(const QRect &anchor, const QSize &size, const QRect &available)
{
    int x = 0, y = 0;
    if (anchor.size() == QSize(1, 1) && available.contains(anchor.topLeft())) {
        const QPoint beside = besidePoint(anchor.topLeft(), size, available);
        x = beside.x();
        y = beside.y();
    } else {
        const QPoint centre = anchor.center();
        x = centre.x() - size.width() / 2;
        y = centre.y() < available.center().y() ? anchor.bottom() + 1 + gap : anchor.top() - gap - size.height();
    }
    // std::clamp would be undefined for a panel larger than the area: the
    // top-left bound wins then.
    x = std::max(available.left(), std::min(x, available.right() + 1 - size.width()));
    y = std::max(available.top(), std::min(y, available.bottom() + 1 - size.height()));
    return {x, y};
}
