#include "shell/BrimSymbolButton.h"

#include <QPainter>

BrimSymbolButton::BrimSymbolButton(const QString &name, QWidget *parent)
    : QToolButton(parent)
{
    setAutoRaise(true);
    setFocusPolicy(Qt::StrongFocus);
    if (!name.isEmpty()) {
        setAccessibleName(name);
        setToolTip(name);
    }
}

void BrimSymbolButton::paintEvent(QPaintEvent *event)
{
    QToolButton::paintEvent(event);
    // Only for the keyboard, as Qt shows focus elsewhere.
    if (!hasFocus() || !window()->testAttribute(Qt::WA_KeyboardFocusChange))
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
}
