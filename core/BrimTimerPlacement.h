#pragma once
// Where the floating timer capsule goes on a screen: centred on the screen,
// hanging just below the top of the usable area, never outside the visible
// frame. Coordinates have y growing upwards, so a rectangle's top is
// y + height; QRectF and QSizeF only carry the numbers.

#include <QRectF>
#include <QSizeF>

class BrimTimerPlacement {
public:
    BrimTimerPlacement() = delete;

    static constexpr double margin = 4;

    // screen: the screen's full frame; visible: its frame without menu bar
    // and dock; safeTop: the camera-housing inset (negative counts as 0);
    // size: the capsule's preferred size.
    static QRectF frame(const QRectF &screen, const QRectF &visible, double safeTop, const QSizeF &size);
};
