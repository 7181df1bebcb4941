#pragma once
// Symbol images keyed by the names the models use ("timer", "leaf.fill"…),
// drawn from our SVGs and tinted for the palette.

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace BrimSymbols {
QPixmap pixmap(const QString &symbol, int size, const QColor &tint, qreal devicePixelRatio = 1.0);
QIcon icon(const QString &symbol, const QColor &tint);
} // namespace BrimSymbols
