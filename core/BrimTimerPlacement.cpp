#include "core/BrimTimerPlacement.h"

#include <algorithm>

QRectF BrimTimerPlacement::frame(const QRectF &screen, const QRectF &visible, double safeTop, const QSizeF &size)
{
    const double screenMaxY = screen.y() + screen.height();
    const double visibleMaxY = visible.y() + visible.height();
    const double visibleMaxX = visible.x() + visible.width();

    double top = safeTop >= 0 ? screenMaxY - safeTop : screenMaxY;
    top = std::min(top, visibleMaxY);

    // A negative preferred size would give a frame with negative extent.
    const double height = std::max(std::min(size.height(), std::max(visible.height() - margin, 0.0)), 0.0);
    const double width = std::max(std::min(size.width(), visible.width()), 0.0);

    double x = screen.x() + screen.width() / 2 - 0.5 * width;
    x = std::min(x, visibleMaxX - width);
    x = std::max(x, visible.x());

    double y = (top - margin) - height;
    y = std::max(y, visible.y());

    return QRectF(x, y, width, height);
}
