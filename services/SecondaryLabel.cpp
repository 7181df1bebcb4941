#include "services/SecondaryLabel.h"

#include <QEvent>
#include <algorithm>

SecondaryLabel::SecondaryLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setWordWrap(true);
    QFont small = font();
    if (small.pointSizeF() > 0)
        small.setPointSizeF(small.pointSizeF() * 0.85);
    else
        small.setPixelSize(std::max(1, small.pixelSize() * 85 / 100));
    setFont(small);
    applyPalette();
}

void SecondaryLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    // A theme switch brings a new placeholder colour.
    if (event->type() == QEvent::ApplicationPaletteChange)
        applyPalette();
}

void SecondaryLabel::applyPalette()
{
    QPalette palette = QWidget::palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
    setPalette(palette);
}
