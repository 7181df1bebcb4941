#pragma once
// Where the tool panel goes: against the tray icon, below it when the icon
// sits in the upper half of the screen and above it otherwise, centred on it
// and always inside the screen's usable area. Qt coordinates (y down).

#include <QPoint>
#include <QRect>
#include <QSize>

class BrimPanelPlacement {
public:
    BrimPanelPlacement() = delete;

    // Space between the icon and the panel.
    static constexpr int gap = 4;
    // How far a bar reaches past a point on its icon: a tray slot in the
    // common 32-pixel bars (GNOME's top bar, Xfce's, trayer's).
    static constexpr int iconExtent = 32;

    // anchor: the icon's rectangle, or a 1 by 1 rectangle at a point on it
    // (where a StatusNotifierItem host clicked, or the pointer). A point
    // inside the usable area means the area does not exclude the bar (as
    // under XWayland): the panel then keeps iconExtent plus gap away from the
    // point, toward the centre, beside it when the point sits at a side edge
    // (a vertical bar). A panel larger than the usable area keeps its
    // top-left corner inside it.
    static QPoint topLeft(const QRect &anchor, const QSize &size, const QRect &available);
};
