#include "shell/BrimColorSwatch.h"

#include <QPainter>

BrimColorSwatch::BrimColorSwatch(QWidget *parent)
    : QWidget(parent)
{
    setFixedHeight(swatchHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void BrimColorSwatch::setColor(const QColor &color, const QString &hex)
{
    setAccessibleName(tr("Color preview %1").arg(hex));
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void BrimColorSwatch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // A hairline keeps a colour close to the background visible as a shape.
    QColor edge = palette().color(QPalette::WindowText);
    edge.setAlphaF(0.15f);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(m_color.toRgb());
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
}
