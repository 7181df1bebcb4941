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

    // anchor: the icon's rectangle, or a 1 by 1 rectangle at the pointer when
    // the tray host gives none. A panel larger than the usable area keeps its
    // top-left corner inside it.
    static QPoint topLeft(const QRect &anchor, const QSize &size, const QRect &available);
};
