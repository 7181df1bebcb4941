#include "shell/BrimSymbols.h"

#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

QPixmap BrimSymbols::pixmap(const QString &symbol, int size, const QColor &tint, qreal devicePixelRatio)
{
    // Each tray redraw and each shown view asks again: render each SVG once.
    const QString key = QStringLiteral("brim:%1:%2:%3:%4").arg(symbol).arg(size).arg(tint.rgba()).arg(devicePixelRatio);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;

    const int device = qRound(size * devicePixelRatio);
    QPixmap result(device, device);
    result.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/symbols/%1.svg").arg(symbol));
    if (!renderer.isValid())
        renderer.load(QStringLiteral(":/symbols/wrench.and.screwdriver.svg"));
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, device, device));
    // The SVGs are black shapes: keep their alpha, take the tint's colour.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(result.rect(), tint);
    painter.end();
    result.setDevicePixelRatio(devicePixelRatio);
    QPixmapCache::insert(key, result);
    return result;
}

QIcon BrimSymbols::icon(const QString &symbol, const QColor &tint)
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48})
        icon.addPixmap(pixmap(symbol, size, tint));
    return icon;
}
